// The plant link over libmosquitto: a bounded queue of our own, a sender thread that hands
// messages to the library while connected, and the library's network thread (loop_start).
#include "plant_link.h"

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace platform {

namespace {

// Messages handed to the library and not yet confirmed; beyond this the sender waits, so that
// what the broker cannot take stays in our bounded queue, not in the library's unbounded one.
constexpr std::size_t kMaxInFlight = 100;

struct Message {
    std::string topic, payload;
    int qos = 0;
    bool retain = false;
};

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

const char* OrNull(const std::string& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

struct PlantLink::Impl {
    mosquitto* mosq = nullptr;
    std::size_t queueLimit = 10000;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Message> queue;
    std::map<std::string, Message> retained;  // the newest of each retained topic
    // Handed to the library, by message id: its QoS (a QoS 0 message is lost with the link, a
    // QoS 1 message the library sends again after reconnecting).
    std::map<int, int> inFlight;
    std::set<int> confirmedEarly;  // confirmed before the sender could note them
    std::uint64_t lost = 0, connects = 0;
    std::uint64_t breaks = 0;  // link losses so far: tells the sender its message outlived one
    bool connected = false, stopping = false, started = false;
    std::thread sender;

    void Enqueue(Message m, bool front) {
        if (queue.size() >= queueLimit) {
            if (front) return void(++lost);
            queue.pop_front();
            ++lost;
        }
        if (front)
            queue.push_front(std::move(m));
        else
            queue.push_back(std::move(m));
    }

    void Send() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [&] {
                return stopping || (connected && !queue.empty() && inFlight.size() < kMaxInFlight);
            });
            if (stopping) return;
            Message m = std::move(queue.front());
            queue.pop_front();
            const std::uint64_t breaksBefore = breaks;
            lock.unlock();
            int mid = 0;
            const int rc =
                mosquitto_publish(mosq, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                                  m.payload.data(), m.qos, m.retain);
            lock.lock();
            if (rc == MOSQ_ERR_NO_CONN) {
                Enqueue(std::move(m),
                        true);  // the link broke meanwhile: send it after reconnecting
                connected = false;
            } else if (rc != MOSQ_ERR_SUCCESS) {
                ++lost;  // a message the library refuses (too large, say) never goes
            } else if (confirmedEarly.erase(mid)) {
            } else if (m.qos == 0 && breaks != breaksBefore) {
                ++lost;  // handed over as the link broke: the library drops it on reconnecting
            } else {
                inFlight[mid] = m.qos;
            }
        }
    }

    void Connected(int rc) {
        std::lock_guard lock(mutex);
        if (rc != 0) return;
        connected = true;
        ++connects;
        // A broker that restarted without its store has lost the retained messages: send the
        // newest of each again, before whatever waited.
        if (connects > 1)
            for (auto it = retained.rbegin(); it != retained.rend(); ++it)
                Enqueue(it->second, true);
        wake.notify_all();
    }

    void Disconnected() {
        std::lock_guard lock(mutex);
        connected = false;
        ++breaks;
        for (auto it = inFlight.begin(); it != inFlight.end();) {
            if (it->second == 0) {
                ++lost;
                it = inFlight.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Published(int mid) {
        std::lock_guard lock(mutex);
        if (!inFlight.erase(mid)) confirmedEarly.insert(mid);
        wake.notify_all();
    }

    bool Drained() {
        std::lock_guard lock(mutex);
        return queue.empty() && inFlight.empty();
    }
};

PlantLink::PlantLink() : impl_(std::make_unique<Impl>()) {}

PlantLink::~PlantLink() {
    Stop(0);
}

namespace {

bool Refused(int rc, const char* what, std::string& why) {
    if (rc == MOSQ_ERR_SUCCESS) return false;
    why = std::string(what) + ": " + mosquitto_strerror(rc);
    return true;
}

}  // namespace

bool PlantLink::Start(const PlantLinkSettings& s, std::string& why) {
    InitLibraryOnce();
    Impl& d = *impl_;
    d.queueLimit = s.queueLimit > 0 ? s.queueLimit : 1;
    d.mosq = mosquitto_new(OrNull(s.clientId), true, &d);
    if (!d.mosq) {
        why = "cannot create the MQTT client";
        return false;
    }
    mosquitto_int_option(d.mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(
        d.mosq, [](mosquitto*, void* impl, int rc) { static_cast<Impl*>(impl)->Connected(rc); });
    mosquitto_disconnect_callback_set(
        d.mosq, [](mosquitto*, void* impl, int) { static_cast<Impl*>(impl)->Disconnected(); });
    mosquitto_publish_callback_set(
        d.mosq, [](mosquitto*, void* impl, int mid) { static_cast<Impl*>(impl)->Published(mid); });
    if (!s.willTopic.empty() && Refused(mosquitto_will_set(d.mosq, s.willTopic.c_str(),
                                                           static_cast<int>(s.willPayload.size()),
                                                           s.willPayload.data(), 1, true),
                                        "last will", why))
        return false;
    if (!s.user.empty() &&
        Refused(mosquitto_username_pw_set(d.mosq, s.user.c_str(), OrNull(s.password)), "user name",
                why))
        return false;
    if (s.tls && Refused(mosquitto_tls_set(d.mosq, OrNull(s.caFile),
                                           s.caFile.empty() ? "/etc/ssl/certs" : nullptr,
                                           OrNull(s.certFile), OrNull(s.keyFile), nullptr),
                         "TLS files", why))
        return false;
    mosquitto_reconnect_delay_set(d.mosq, static_cast<unsigned>(s.reconnectMinSeconds),
                                  static_cast<unsigned>(s.reconnectMaxSeconds), true);
    // A broker that is not there yet is retried by the library's thread like a lost one.
    mosquitto_connect_async(d.mosq, s.host.c_str(), s.port, s.keepAliveSeconds);
    if (Refused(mosquitto_loop_start(d.mosq), "MQTT thread", why)) return false;
    d.started = true;
    d.sender = std::thread([&d] { d.Send(); });
    return true;
}

void PlantLink::Publish(const std::string& topic, std::string payload, int qos, bool retain) {
    Impl& d = *impl_;
    Message m{topic, std::move(payload), qos, retain};
    std::lock_guard lock(d.mutex);
    if (retain) d.retained[topic] = m;
    d.Enqueue(std::move(m), false);
    d.wake.notify_all();
}

PlantLinkFigures PlantLink::Figures() const {
    const Impl& d = *impl_;
    std::lock_guard lock(d.mutex);
    return {d.queue.size() + d.inFlight.size(), d.lost, d.connects, d.connected};
}

void PlantLink::Stop(double seconds) {
    Impl& d = *impl_;
    if (d.started) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!d.Drained() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        {
            std::lock_guard lock(d.mutex);
            d.stopping = true;
            d.wake.notify_all();
        }
        d.sender.join();
        const bool connected = Figures().connected;
        mosquitto_disconnect(d.mosq);
        // The thread may sleep before its next reconnect: only a connected one ends by itself.
        mosquitto_loop_stop(d.mosq, !connected);
        d.started = false;
    }
    if (d.mosq) mosquitto_destroy(d.mosq);
    d.mosq = nullptr;
}

}  // namespace platform
