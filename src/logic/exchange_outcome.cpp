#include "exchange_outcome.h"

const char* OutcomeName(ExchangeOutcome outcome) {
    switch (outcome) {
        case ExchangeOutcome::Answered:
            return "answered";
        case ExchangeOutcome::TimedOut:
            return "timed out";
        case ExchangeOutcome::WrongSync:
            return "wrong sync";
        case ExchangeOutcome::WrongEcho:
            return "wrong echo";
        case ExchangeOutcome::RepeatDropped:
            return "repeated answer dropped";
        case ExchangeOutcome::ShortWrite:
            return "short write";
        case ExchangeOutcome::ShortData:
            return "short data";
        case ExchangeOutcome::Stopped:
            return "stopped";
        case ExchangeOutcome::PortLost:
            return "port lost";
        case ExchangeOutcome::NotOpen:
            return "not open";
    }
    return "unknown";
}
