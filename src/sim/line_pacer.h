// Timing of a serial line at a baud rate (10 bits a byte): when received bytes have fully
// arrived, and when sent bytes may leave. Times are seconds on any one clock.
#pragma once

namespace sim {

class LinePacer {
  public:
    // baud 0: no pacing; every byte arrives and leaves at once. Received bytes come at
    // `receiveBaud` (the other end's pace), sent ones leave at `baud`.
    explicit LinePacer(long baud, long receiveBaud)
        : byteTime_(ByteTime(baud)), rxByteTime_(ByteTime(receiveBaud)) {}
    explicit LinePacer(long baud) : LinePacer(baud, baud) {}

    double byteTime() const { return byteTime_; }
    // A byte read at `now` arrived when the line had carried it after the bytes before it.
    double Arrive(double now) {
        rxFree_ = (rxFree_ > now ? rxFree_ : now) + rxByteTime_;
        return rxFree_;
    }
    // The time a byte that may start at `earliest` has fully left, after the bytes before it.
    double Send(double earliest) {
        txFree_ = (txFree_ > earliest ? txFree_ : earliest) + byteTime_;
        return txFree_;
    }
    // Forgets bytes scheduled but not sent (the line was flushed).
    void ResetSend(double now) { txFree_ = now; }

  private:
    static double ByteTime(long baud) { return baud > 0 ? 10.0 / static_cast<double>(baud) : 0.0; }
    double byteTime_, rxByteTime_;
    double rxFree_ = 0;
    double txFree_ = 0;
};

}  // namespace sim
