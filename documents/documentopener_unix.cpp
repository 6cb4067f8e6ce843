#include "documentopener.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavinto {
namespace {

constexpr int kWatchMilliseconds = 5000;
constexpr unsigned char kNotStarted = 127;  // what the launcher's process ends with when exec fails

bool isLaunchFailure(unsigned char status) {
    return status == 3 || status == 4 || status == kNotStarted;
}

// Reads the launcher's exit status from a pipe, for a while; owns the pipe.
class LaunchWatch : public QObject {
public:
    LaunchWatch(int fd, DocumentOpener::Failed failed)
        : QObject(QCoreApplication::instance()),
          m_fd(fd),
          m_failed(std::move(failed)),
          m_notifier(fd, QSocketNotifier::Read, this) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &LaunchWatch::statusArrived);
        QTimer::singleShot(kWatchMilliseconds, this, &LaunchWatch::end);
    }
    ~LaunchWatch() override { ::close(m_fd); }

private:
    void statusArrived() {
        unsigned char status = 0;
        const ssize_t got = ::read(m_fd, &status, 1);
        if (got < 0 && errno == EINTR)
            return;
        m_notifier.setEnabled(false);
        if (got == 1 && isLaunchFailure(status))
            m_failed();
        end();
    }
    void end() {
        m_notifier.setEnabled(false);
        deleteLater();
    }

    int m_fd;
    DocumentOpener::Failed m_failed;
    QSocketNotifier m_notifier;
};

// The launcher runs under a watcher process of its own, orphaned at once,
// which writes its exit status to `out`: neither is a child of the
// program, so both outlive it, and nothing is left to reap. Only
// async-signal-safe calls after the fork.
bool launch(char* const argv[], int out) {
    const pid_t child = ::fork();
    if (child < 0)
        return false;
    if (child == 0) {
        const pid_t watcher = ::fork();
        if (watcher < 0) {
            const unsigned char status = kNotStarted;
            (void)!::write(out, &status, 1);
        }
        if (watcher != 0)
            ::_exit(0);
        ::setsid();
        const pid_t launcher = ::fork();
        if (launcher == 0) {
            ::close(out);
            ::execv(argv[0], argv);
            ::_exit(kNotStarted);
        }
        unsigned char status = kNotStarted;
        int how = 0;
        if (launcher > 0) {
            while (::waitpid(launcher, &how, 0) < 0 && errno == EINTR) {
            }
            status = WIFEXITED(how) ? static_cast<unsigned char>(WEXITSTATUS(how)) : 0;
        }
        (void)!::write(out, &status, 1);
        ::_exit(0);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace

void SystemDocumentOpener::open(const QString& path, QWindow* owner, Failed failed) {
    Q_UNUSED(owner);
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    char cwd[PATH_MAX];
    int fds[2];
    if (launcher.isEmpty() || !::getcwd(cwd, sizeof cwd) || ::pipe2(fds, O_CLOEXEC) != 0) {
        failed();
        return;
    }
    QByteArray program = QFile::encodeName(launcher);
    // The working directory's own bytes, which need not be UTF-8 (a Latin-2
    // folder name), reach the launcher unchanged, percent-encoded in a file URL.
    QByteArray url =
        "file://" + (QByteArray(cwd) + '/' + QFile::encodeName(path)).toPercentEncoding("/");
    char* const argv[] = {program.data(), url.data(), nullptr};
    const bool started = launch(argv, fds[1]);
    ::close(fds[1]);
    if (!started) {
        ::close(fds[0]);
        failed();
        return;
    }
    new LaunchWatch(fds[0], std::move(failed));
}

}  // namespace kavinto
