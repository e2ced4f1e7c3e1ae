#pragma once

#include <QByteArray>
#include <QFile>
#include <QStringList>

#ifdef _WIN32
#include <QProcess>
#include <windows.h>
#else
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;
#endif

// What a program wrote to its standard output, and its exit code (-1 when it could not start
// or did not end by exiting).
struct ProgramRun {
    QByteArray output;
    int exitCode = -1;
};

#ifdef _WIN32
// Runs `program`, found beside the test program (Windows has no unzip; the tests bring their
// own), and waits for it.
inline ProgramRun runProgram(const char* program, const QStringList& arguments) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const QString folder = QString::fromWCharArray(self, static_cast<qsizetype>(length))
                               .section(QLatin1Char('\\'), 0, -2);
    QProcess process;
    process.start(folder + QLatin1Char('\\') + QLatin1String(program) + QLatin1String(".exe"),
                  arguments);
    ProgramRun run;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.output = process.readAllStandardOutput();
    run.exitCode = process.exitCode();
    return run;
}
#else
// Runs `program`, looked up in PATH, and waits for it. Not through QProcess: Qt starts a child
// that shares the test's memory until it execs, after which the thread sanitizer no longer sees
// the test's own locking and reports races that are none (scripts/tsan.sh).
inline ProgramRun runProgram(const char* program, const QStringList& arguments) {
    ProgramRun run;
    int ends[2];
    if (pipe(ends) != 0)
        return run;
    std::vector<QByteArray> words{QByteArray(program)};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    posix_spawn_file_actions_addclose(&actions, ends[1]);
    pid_t child = 0;
    const int started = posix_spawnp(&child, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[1]);
    if (started == 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t count = read(ends[0], buffer, sizeof buffer);
            if (count > 0)
                run.output.append(buffer, count);
            else if (count == 0 || errno != EINTR)
                break;
        }
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
    }
    close(ends[0]);
    return run;
}
#endif
