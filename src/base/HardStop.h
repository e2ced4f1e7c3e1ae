#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// A second stop signal ends the program without waiting for the run to reach a safe point. What
// the program was making must still go: files and folders are registered here while they exist,
// and the hard stop removes them, whichever thread is writing in them, before the program ends
// with 128 and the first signal's number. Nothing registered is made, and nothing committed,
// while a hard stop is under way.

// A file or folder of the program's own making that a hard stop removes, as long as this lives.
// Letting it go does not remove it: its owner removes it, or keeps it.
class RemovedOnHardStop {
public:
    RemovedOnHardStop() = default;
    // Makes the file or folder with `make`, which gives its path ("" when it made none), so that
    // no hard stop comes between its making and its registration. Errors of `make` pass through.
    explicit RemovedOnHardStop(const std::function<QString()>& make);
    RemovedOnHardStop(RemovedOnHardStop&& other) noexcept;
    RemovedOnHardStop& operator=(RemovedOnHardStop&& other) noexcept;
    RemovedOnHardStop(const RemovedOnHardStop&) = delete;
    RemovedOnHardStop& operator=(const RemovedOnHardStop&) = delete;
    ~RemovedOnHardStop();

    // The registered path; "" for none.
    const QString& path() const { return m_path; }

private:
    void letGo() noexcept;

    QString m_path;
    std::uint64_t m_key = 0;
};

// Runs `commit`, the one quick step that puts a finished file in the place of the user's, unless
// a stop has been asked for; raises ProcedureAbandoned instead, the older file untouched. No hard
// stop comes during it, so a stop is either before it or after it.
void commitUnlessStopped(const std::function<void()>& commit);

// The lines a hard stop writes on standard error before the program ends: `beforeCommit` until a
// commit was made, `afterCommit` once one was. Nothing when none are set.
void setHardStopFarewell(const QByteArray& beforeCommit, const QByteArray& afterCommit);
// For the caller ending the program after a stop on its own: has `say` say why, unless a hard
// stop said it already, in which case the call waits for the program's end. No hard stop begins
// meanwhile, so the reason is said once and whole.
void sayStopFarewell(const std::function<void()>& say);
// Whether a hard stop is removing what the program made; what the program says meanwhile is moot.
bool hardStopUnderWay();

// For the platform's side of the stop signals: removes what is registered (trying again for up
// to a second, while other threads close what they hold), writes the farewell and ends the
// program with 128 and the first signal's number.
[[noreturn]] void stopHard();
// Also for the platform's side, and defined there: turns away what other threads write on
// standard error from here on (a library that finds its files gone would tell so after the
// farewell); writes the bytes on standard error as they are; and ends the program at once, with
// no clean-up of any kind.
void quietOthersOnStandardError();
void writeToStandardError(const QByteArray& bytes);
[[noreturn]] void endProgramNow(int status);
