// SPDX-License-Identifier: GPL-3.0-or-later
#include "PrivateCups.h"

#include <cups/cups.h>
#include <stdlib.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>

namespace pixelary::testing {
namespace {

constexpr const char* kScript = PIXELARY_SOURCE_DIR "/scripts/private-cups.sh";
constexpr int kScriptTimeoutMs = 30000;

}  // namespace

PrivateCups::PrivateCups() {
    std::string pattern = QDir::tempPath().toStdString() + "/pixelary-cups-XXXXXX";
    if (const char* made = ::mkdtemp(pattern.data())) root_ = QString::fromLocal8Bit(made);
    running_ = !root_.isEmpty() && Start();
}

PrivateCups::~PrivateCups() {
    if (!root_.isEmpty()) {
        QProcess::execute(QString::fromLatin1(kScript), {QStringLiteral("stop"), root_});
        QDir(root_).removeRecursively();
    }
}

QString PrivateCups::OutputFile() const {
    return root_ + QStringLiteral("/out/job.pdf");
}

bool PrivateCups::Start() {
    QProcess script;
    script.start(QString::fromLatin1(kScript), {QStringLiteral("start"), root_});
    if (!script.waitForFinished(kScriptTimeoutMs) || script.exitCode() != 0) {
        failure_ = QString::fromLocal8Bit(script.readAllStandardError()).trimmed();
        if (failure_.isEmpty()) failure_ = QStringLiteral("scripts/private-cups.sh failed");
        return false;
    }
    const QByteArray server = script.readAllStandardOutput().trimmed();
    ::setenv("CUPS_SERVER", server.constData(), 1);
    cupsSetServer(server.constData());
    return true;
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
