#pragma once
// Runs a program of the build (tarnel-cli) as a player's script would, and
// keeps its exit code and both outputs. A program that does not finish in
// time is killed and reads as exit code -1.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>

namespace tarnel::testing {

struct CliRun {
    int code = -1;
    std::string out, err;
};

inline CliRun cli(const QString& program, const QStringList& args, int timeoutMs = 60000) {
    QProcess p;
    p.start(program, args);
    p.closeWriteChannel();
    CliRun r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

}  // namespace tarnel::testing
