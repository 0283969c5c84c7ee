// What one exchange with the sensor came to. Every exchange (Get, Send, Teach, Reset, the
// identification steps, a Run or Video loop) returns one; the status text, the sensor model and
// the change log are all chosen from it.
#pragma once

enum class ExchangeOutcome {
    Answered,       // the sensor answered this request
    TimedOut,       // no answer within the exchange's time-out
    WrongSync,      // a frame came without the answer sync word: another device answers
    WrongEcho,      // a frame came that echoes another request (a routing matter only)
    RepeatDropped,  // a repeated answer was dropped and no answer of this request came
    ShortWrite,     // the request did not leave whole
    ShortData,      // a line-image block or the firmware text came short
    Stopped,        // a loop ended by Stop, by closing or by a port change
    PortLost,       // the port went away (unplugged)
    NotOpen,        // no port is open
};

// A short lower-case name for logs and JSON ("answered", "timed out", ...).
const char* OutcomeName(ExchangeOutcome outcome);
