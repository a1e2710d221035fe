#include "outputtarget.h"

#include "options.h"
#include "printout.h"
#include "shutdown.h"
#include "textescape.h"

#include <QFileInfo>

#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qelv {

namespace {

constexpr QFileDevice::Permissions kNewFileMode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ReadOther;

void sayCannotWrite(const QString& path, const QString& why) {
    printText(stderr, QStringLiteral("qel-v: ") +
                          escapeForTerminal(QStringLiteral("cannot write %1: %2").arg(path, why)) +
                          u'\n');
}

}  // namespace

OutputTarget::OutputTarget(const QString& file) : m_path(file) {
    if (m_path.isEmpty()) return;
    const bool existed = QFileInfo::exists(m_path);
    m_file = std::make_unique<QSaveFile>(m_path);
    // Unbuffered: Qt 6.4's QSaveFile renames even when the write it leaves to its commit fails
    // (a full disk gave an empty file), and syncs nothing; each write's failure shows here and
    // the sync is ours.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_problem = m_file->errorString();
        m_file.reset();
        return;
    }
    // QSaveFile gives the temporary file the old file's mode; a new one would get the umask's.
    if (!existed) m_file->setPermissions(kNewFileMode);
}

bool OutputTarget::ready() const {
    if (m_problem.isEmpty()) return true;
    sayCannotWrite(m_path, m_problem);
    return false;
}

// A QSaveFile that is not committed removes its temporary file when it goes.
OutputTarget::~OutputTarget() = default;

int OutputTarget::deliver(const QByteArray& bytes) {
    if (!toFile()) {
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
        std::fflush(stdout);
        return kExitOk;
    }
    if (!m_file) return kExitFailure;
    const std::unique_ptr<QSaveFile> file = std::move(m_file);
    const bool written = file->write(bytes) == bytes.size();
    const int syncError = written && ::fsync(file->handle()) != 0 ? errno : 0;
    // A signal that came while the output was made means the run was not wanted to its end.
    if (shutdown::requested()) return shutdown::exitCode();
    if (written && syncError == 0 && file->commit()) return kExitOk;
    sayCannotWrite(m_path, syncError != 0 ? QString::fromLocal8Bit(std::strerror(syncError))
                                          : file->errorString());
    return kExitFailure;
}

}  // namespace qelv
