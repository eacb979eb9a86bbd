#pragma once
// Shared helpers for the test programs.
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// Runs the Qt event loop until cond() is true or the deadline passes;
// returns the final value of cond(). Never a fixed sleep.
bool WaitFor(const std::function<bool()> &cond,
             std::chrono::milliseconds deadline = std::chrono::seconds(10));

// Switches the process locale environment (LC_ALL, LC_NUMERIC, LC_TIME, LANG)
// for the lifetime of the guard and restores the previous values afterwards.
class LocaleGuard
{
  public:
    explicit LocaleGuard(const char *name);
    ~LocaleGuard();
    LocaleGuard(const LocaleGuard &) = delete;
    LocaleGuard &operator=(const LocaleGuard &) = delete;

  private:
    std::optional<std::string> FSaved[4];
};

// Reads a whole file as bytes (empty when it cannot be read).
QByteArray ReadFileBytes(const QString &path);

// A TCP port on 127.0.0.1 that was free a moment ago (for servers under test).
uint16_t FreeLoopbackPort();

// The resident set size of this process in bytes (0 where it cannot be read).
int64_t ResidentBytes();
