// The handler pattern of every labelled procedure: run the body; on a run-time error report the
// procedure's label and leave at once, no retry and no resumption. The caller is not told and
// carries on with whatever the procedure had set (a function returns its result so far).
#pragma once

#include <new>

#include "errors/reporter.h"
#include "runtime/numbers.h"

namespace wumpets {

// Returns true when the body ran to its end. Memory running out is run-time error 7 like any
// other: reported, never an abort.
template <class Body>
bool guarded(Starter& st, const char* label, Body&& body) {
  try {
    body();
    return true;
  } catch (const RuntimeError& e) {
    sys_ReportError(st, label, e.number);
  } catch (const std::bad_alloc&) {
    sys_ReportError(st, label, kOutOfMemory);
  }
  return false;
}

// Runs a body whose run-time errors are skipped without a report (the registry reader's rule):
// the next step goes on. Use one call per step.
template <class Body>
void ignoring_errors(Body&& body) {
  try {
    body();
  } catch (const RuntimeError&) {
  }
}

}  // namespace wumpets
