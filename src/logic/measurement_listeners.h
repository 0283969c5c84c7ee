// Who follows the Run and Video loops: the workbench, the recorder, the command line and whatever
// comes later register here, and the loops name none of them.
//
// Listeners run inside the measurement cycle, on the loop's thread: each call must be cheap (a
// few microseconds; the acquisition benchmark prints their cost). A listener never starts an
// exchange from its callback; whatever needs exchanges drives its own loops through the exchange
// functions. A listener may remove itself, or add another, from its callback: the list is copied
// before each dispatch, and one removed during a dispatch is not called again.
#pragma once

#include <vector>

#include "exchange_outcome.h"
#include "state.h"

enum class LoopKind { Run, Video };

class MeasurementListener {
  public:
    virtual ~MeasurementListener() = default;
    virtual void LoopBegan(const State& /*s*/, LoopKind /*kind*/) {}
    // A measurement was taken in: its 16 result words are in the state.
    virtual void Measured(const State& /*s*/) {}
    // A Video cycle's line image is complete in adcbuf.
    virtual void LineImage(const State& /*s*/) {}
    virtual void LoopEnded(const State& /*s*/, ExchangeOutcome /*how*/) {}
};

class MeasurementListeners {
  public:
    // Adding one already listed, or removing one not listed, does nothing.
    void Add(MeasurementListener* listener);
    void Remove(MeasurementListener* listener);

    void LoopBegan(const State& s, LoopKind kind);
    void Measured(const State& s);
    void LineImage(const State& s);
    void LoopEnded(const State& s, ExchangeOutcome how);

  private:
    template <class Call>
    void Dispatch(Call call);
    std::vector<MeasurementListener*> listeners_;
};
