// Status codes returned across the whole system. Negative values follow the
// platform convention the programs were designed around; host callbacks use
// their own small positive codes (see plugin/).
#pragma once

#include <cstdint>
#include <type_traits>

enum : int32_t {
  kQVNoErr = 0,
  kQVErrParam = -50,             // a bad argument
  kQVErrIO = -36,                // a read or write failed
  kQVErrEndOfFile = -39,         // read past the end
  kQVErrFileNotFound = -43,      // no such file or folder
  kQVErrBusy = -47,              // file busy or locked
  kQVErrDuplicate = -48,         // name already exists
  kQVErrMemory = -108,           // out of memory
  kQVErrCancelled = -128,        // the user cancelled a panel
  kQVErrUnimplemented = -4,      // not available on this platform
  kQVErrEventNotHandled = -1708, // an event nobody answered
  kQVErrTimeout = -29296,        // a wait ran out of time
  kQVErrNotHandled = -9874,      // a handler passes the event on
};

// A status must be looked at: a caller either acts on it or says, with
// QVIgnoreStatus, why it may be dropped. The compiler holds callers to that
// (a dropped result is a warning, and warnings are errors). It is the plain
// 32-bit code underneath: it converts to and from int32_t, so comparing,
// switching and writing it into a record field by field read as before.
struct [[nodiscard]] QVStatus {
  int32_t code = kQVNoErr;

  QVStatus() = default;
  constexpr QVStatus(int32_t value) : code(value) {}
  constexpr operator int32_t() const { return code; }
};
static_assert(sizeof(QVStatus) == 4);
static_assert(std::is_trivially_copyable_v<QVStatus>);
static_assert(std::is_standard_layout_v<QVStatus>);

// Drops a status on purpose. Each use says beside it why nothing follows
// from a failure there.
inline void QVIgnoreStatus(QVStatus) {}

// Keeps the first failure of a run of steps that all go ahead regardless.
struct QVFirstFailure {
  QVStatus status = kQVNoErr;
  void Note(QVStatus s) {
    if (status == kQVNoErr) status = s;
  }
};
