#include "tolerance_lamp.h"

#include "program.h"
#include "tolerance_verdict.h"

using platform::LampLook;

ToleranceLamp::ToleranceLamp(Program& p) : view_(p.rt, p.pHandle) {}

void ToleranceLamp::Measured(const State& s) {
    const ToleranceVerdict verdict = JudgeTolerance(s);
    const LampLook look = verdict == ToleranceVerdict::InTolerance      ? LampLook::Good
                          : verdict == ToleranceVerdict::OutOfTolerance ? LampLook::Bad
                                                                        : LampLook::Neutral;
    view_.Show(look, VerdictText(verdict));
}

void ToleranceLamp::LoopEnded(const State& /*s*/, ExchangeOutcome /*how*/) {
    view_.Show(LampLook::Idle, "Idle");
}

void ToleranceLampCloser::operator()(ToleranceLamp* lamp) const {
    delete lamp;
}

void OpenToleranceLamp(Program& p) {
    p.lamp.reset(new ToleranceLamp(p));
    p.listeners.Add(p.lamp.get());
}
