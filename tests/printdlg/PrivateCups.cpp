// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivateCups.h"

#include <cups/cups.h>
#include <stdlib.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace pixelary::testing {
namespace {

constexpr const char* kDaemon = "/usr/sbin/cupsd";
constexpr const char* kServerBin = "/usr/lib/cups";
constexpr int kStartTimeoutMs = 15000;

bool WriteText(const QString& path, const QString& text, QFile::Permissions permissions = {}) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    file.write(text.toUtf8());
    file.close();
    return permissions == QFile::Permissions{} || file.setPermissions(permissions);
}

// The backend: the job's document is written beside the target and renamed over it when whole,
// so a cancelled job never leaves a PDF behind.
const char* const kBackend = R"(#!/bin/sh
if [ $# -eq 0 ]; then echo 'file pixelary-file "Unknown" "Pixelary test file"'; exit 0; fi
target=${DEVICE_URI#pixelary-file:}
if [ -n "$6" ]; then cat "$6" > "$target.part" || exit 1; else cat > "$target.part" || exit 1; fi
mv "$target.part" "$target"
)";

}  // namespace

PrivateCups::PrivateCups() {
    std::string pattern = QDir::tempPath().toStdString() + "/pixelary-cups-XXXXXX";
    if (const char* made = ::mkdtemp(pattern.data())) root_ = QString::fromLocal8Bit(made);
    running_ = !root_.isEmpty() && Start();
}

PrivateCups::~PrivateCups() {
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(5000)) daemon_.kill();
        daemon_.waitForFinished(2000);
    }
    if (!root_.isEmpty()) QDir(root_).removeRecursively();
}

QString PrivateCups::OutputFile() const {
    return root_ + QStringLiteral("/out/job.pdf");
}

bool PrivateCups::Start() {
    if (!QFileInfo(QString::fromLatin1(kDaemon)).isExecutable()) {
        failure_ = QStringLiteral("cupsd is not installed (Debian package cups-daemon)");
        return false;
    }
    if (!WriteConfiguration()) {
        failure_ = QStringLiteral("cannot write a CUPS configuration under ") + root_;
        return false;
    }
    daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    daemon_.start(
        QString::fromLatin1(kDaemon),
        {QStringLiteral("-f"), QStringLiteral("-c"), root_ + QStringLiteral("/cupsd.conf"),
         QStringLiteral("-s"), root_ + QStringLiteral("/cups-files.conf")});
    const QString socket = root_ + QStringLiteral("/cups.sock");
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!QFileInfo::exists(socket) && !deadline.hasExpired()) {
        if (daemon_.state() == QProcess::NotRunning) break;
        QThread::msleep(50);
    }
    if (!QFileInfo::exists(socket)) {
        failure_ = QStringLiteral("cupsd did not start; see ") + root_ + QStringLiteral("/log");
        return false;
    }
    ::setenv("CUPS_SERVER", socket.toLocal8Bit().constData(), 1);
    cupsSetServer(socket.toLocal8Bit().constData());
    if (!RunLpadmin()) {
        failure_ = QStringLiteral("lpadmin could not create the test queue");
        return false;
    }
    return true;
}

bool PrivateCups::WriteConfiguration() {
    QDir root(root_);
    for (const char* sub : {"spool", "cache", "state", "log", "tmp", "out", "bin/backend", "ppd"})
        if (!root.mkpath(QLatin1String(sub))) return false;
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                      QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                      QFile::ExeOther;
    // Jobs run as an unprivileged user when the daemon runs as root: they must reach these.
    for (const char* sub : {"", "/tmp", "/out", "/spool", "/cache", "/state", "/ppd"})
        QFile::setPermissions(root_ + QLatin1String(sub), open);
    // The system's filters and helpers, with the test backend in place of the real ones.
    for (const QFileInfo& entry : QDir(QString::fromLatin1(kServerBin))
                                      .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
        if (entry.fileName() != QLatin1String("backend"))
            QFile::link(entry.absoluteFilePath(),
                        root_ + QStringLiteral("/bin/") + entry.fileName());
    const auto executable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                            QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    if (!WriteText(root_ + QStringLiteral("/bin/backend/pixelary-file"), QLatin1String(kBackend),
                   executable))
        return false;
    const QString daemonConf =
        QStringLiteral(
            "Listen %1/cups.sock\nLogLevel warn\nBrowsing No\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n")
            .arg(root_);
    const QString filesConf =
        QStringLiteral(
            "ServerRoot %1\nRequestRoot %1/spool\nCacheDir %1/cache\nStateDir %1/state\n"
            "TempDir %1/tmp\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
            "PageLog %1/log/page_log\nServerBin %1/bin\nDataDir /usr/share/cups\n")
            .arg(root_);
    return WriteText(root_ + QStringLiteral("/cupsd.conf"), daemonConf) &&
           WriteText(root_ + QStringLiteral("/cups-files.conf"), filesConf);
}

bool PrivateCups::RunLpadmin() {
    QProcess lpadmin;
    lpadmin.start(QStringLiteral("lpadmin"),
                  {QStringLiteral("-p"), QLatin1String(kQueue), QStringLiteral("-E"),
                   QStringLiteral("-v"), QStringLiteral("pixelary-file:") + OutputFile(),
                   QStringLiteral("-m"), QStringLiteral("raw")});
    if (!lpadmin.waitForFinished(15000) || lpadmin.exitCode() != 0) return false;
    QProcess lpoptions;
    lpoptions.start(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QLatin1String(kQueue)});
    return lpoptions.waitForFinished(15000) && lpoptions.exitCode() == 0;
}

int PrivateCups::JobState(int jobId) {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, kQueue, 0, CUPS_WHICHJOBS_ALL);
    int state = 0;
    for (int i = 0; i < count; ++i)
        if (jobs[i].id == jobId) state = jobs[i].state;
    cupsFreeJobs(count, jobs);
    return state;
}

int PrivateCups::WaitForJob(int jobId, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    int state = JobState(jobId);
    while (state != IPP_JSTATE_COMPLETED && state != IPP_JSTATE_CANCELED &&
           state != IPP_JSTATE_ABORTED && !deadline.hasExpired()) {
        QThread::msleep(100);
        state = JobState(jobId);
    }
    return state;
}

}  // namespace pixelary::testing
