#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

namespace qelv {

// Where a printed mode's output goes: standard output, or a file that is replaced whole or
// not at all. For a file, a temporary file is opened in the file's folder at once, so that a
// folder that cannot be written to fails the run before any port is touched; the output is
// written there, synced and renamed over the file only when complete. The file keeps its
// mode (a new one gets 0644, whatever the umask: the node exporter reads it as another
// user). A run that fails, is asked to end, or never delivers leaves the file as it was and
// no temporary file behind.
class OutputTarget {
public:
    // `file` empty: standard output.
    explicit OutputTarget(const QString& file);
    ~OutputTarget();
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;

    bool toFile() const { return !m_path.isEmpty(); }
    // False when the file cannot be written; why is then printed.
    bool ready() const;

    // Puts `bytes` out and returns the exit status: kExitOk; kExitFailure when they could not
    // be written (the reason printed); for a file, the status of a request to end that came
    // before the file was replaced, which then stays as it was.
    int deliver(const QByteArray& bytes);

private:
    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    QString m_problem;
};

}  // namespace qelv
