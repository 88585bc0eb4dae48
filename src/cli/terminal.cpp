#include "cli/terminal.h"

#include "cli/interrupt.h"

#include <QByteArray>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tw::cli {

bool stdinIsTerminal()
{
    return isatty(STDIN_FILENO) == 1;
}

bool stderrIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}

void writeOut(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void writeErr(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

std::optional<QString> readLine(const copy::StopRequest& stop)
{
    // Byte by byte from the descriptor, so that nothing is read ahead of
    // the line: the next question reads the next line.
    QByteArray line;
    for (;;) {
        if (stop.requested())
            return std::nullopt;
        pollfd in { STDIN_FILENO, POLLIN, 0 };
        const int ready = poll(&in, 1, 100);
        if (ready < 0 && errno != EINTR)
            return std::nullopt;
        if (ready <= 0)
            continue;
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return line.isEmpty() ? std::nullopt : std::optional(QString::fromUtf8(line));
        if (c == '\n') {
            if (line.endsWith('\r'))
                line.chop(1);
            return QString::fromUtf8(line);
        }
        line += c;
    }
}

std::optional<QString> readSecret(const QString& prompt, const copy::StopRequest& stop)
{
    writeErr(prompt);
    termios saved {};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        // A second Ctrl+C ends the process at once: the echo comes back first.
        restoreTerminalOnExit(saved);
    }
    std::optional<QString> secret = readLine(stop);
    if (terminal) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        forgetTerminal();
    }
    writeErr(QStringLiteral("\n"));
    return secret;
}

} // namespace tw::cli
