// The plant link: messages to an MQTT broker, publishing only. Publish never waits on the network:
// it puts the message on a bounded queue, and the client library's own thread sends it, connects,
// and reconnects with a growing pause after a loss. Nothing the broker sends is handed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

struct PlantLinkSettings {
    std::string host = "127.0.0.1";
    int port = 1883;
    std::string clientId;  // empty: the library makes one up
    // TLS when set: the CA file (empty: the system's CA folder), and a client certificate and
    // key when the broker asks for one.
    bool tls = false;
    std::string caFile, certFile, keyFile;
    std::string user, password;  // no user: no log-in
    // The last will: the broker publishes it (retained) when the process dies without saying
    // goodbye.
    std::string willTopic, willPayload;
    std::size_t queueLimit = 10000;  // messages held while the broker is away; the oldest go first
    int keepAliveSeconds = 10;
    int reconnectMinSeconds = 1, reconnectMaxSeconds = 16;
};

struct PlantLinkFigures {
    std::uint64_t queued = 0;    // waiting, or sent and not yet confirmed
    std::uint64_t lost = 0;      // dropped from a full queue, or unsent when the link broke
    std::uint64_t connects = 0;  // successful connections so far (1 after the first)
    bool connected = false;
};

class PlantLink {
  public:
    PlantLink();
    ~PlantLink();  // Stop(0) when still running
    PlantLink(const PlantLink&) = delete;
    PlantLink& operator=(const PlantLink&) = delete;

    // Starts the library's thread, which connects and keeps connecting. False with the reason in
    // `why` for settings the library refuses (a TLS file that cannot be read, say); a broker that
    // is not there yet is no failure.
    bool Start(const PlantLinkSettings& settings, std::string& why);
    // Queues one message (qos 0 or 1). A retained message is also kept and sent again after
    // every reconnect, so a broker that restarted without its store has it again.
    void Publish(const std::string& topic, std::string payload, int qos, bool retain);
    PlantLinkFigures Figures() const;
    // Gives the queue up to `seconds` to empty, then disconnects cleanly (the last will is not
    // sent) and ends the thread.
    void Stop(double seconds);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
