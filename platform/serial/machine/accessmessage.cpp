#include "accessmessage.h"
#include "porttexts.h"

#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace qelv {

namespace {

QString modeString(mode_t mode) {
    QString text = S_ISCHR(mode)   ? QStringLiteral("c")
                   : S_ISDIR(mode) ? QStringLiteral("d")
                                   : QStringLiteral("-");
    const char* const kLetters = "rwxrwxrwx";
    for (int bit = 0; bit < 9; ++bit)
        text += (mode & (0400 >> bit)) ? QLatin1Char(kLetters[bit]) : QLatin1Char('-');
    return text;
}

bool groupMayReadWrite(const QString& mode) {
    return mode.size() >= 7 && mode.at(4) == u'r' && mode.at(5) == u'w';
}

bool sessionHas(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    return false;
}

bool databaseHas(const QByteArray& user, gid_t primary, gid_t gid) {
    if (user.isEmpty()) return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (::getgrouplist(user.constData(), primary, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(user.constData(), primary, groups.data(), &count) < 0) return false;
    }
    for (int i = 0; i < count; ++i)
        if (groups[static_cast<std::size_t>(i)] == gid) return true;
    return false;
}

}  // namespace

QString permissionMessage(const AccessFacts& facts) {
    QString text = porttexts::kNoAccess.arg(facts.path);
    if (facts.mode.isEmpty()) return text;
    text += QStringLiteral(" (%1 %2:%3)").arg(facts.mode, facts.owner, facts.group);
    if (!groupMayReadWrite(facts.mode) || facts.group.isEmpty() ||
        facts.group == QLatin1String("root"))
        return text;
    if (!facts.userInGroup) return text + porttexts::kJoinGroup.arg(facts.user, facts.group);
    if (!facts.sessionHasGroup) return text + porttexts::kLogInAgain.arg(facts.user, facts.group);
    return text;
}

AccessFacts accessFactsOf(const QString& path) {
    AccessFacts facts;
    facts.path = QFileInfo(path).absoluteFilePath();
    // getpwuid's answer lives in storage the next lookup overwrites.
    const passwd* me = ::getpwuid(::geteuid());
    const QByteArray myName = me ? QByteArray(me->pw_name) : QByteArray();
    const gid_t myGroup = me ? me->pw_gid : ::getegid();
    facts.user = me ? QString::fromLocal8Bit(myName) : QString::number(::geteuid());
    struct stat st {};
    if (::stat(QFile::encodeName(facts.path).constData(), &st) != 0) return facts;
    facts.mode = modeString(st.st_mode);
    const passwd* owner = ::getpwuid(st.st_uid);
    facts.owner = owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid);
    const group* grp = ::getgrgid(st.st_gid);
    facts.group = grp ? QString::fromLocal8Bit(grp->gr_name) : QString::number(st.st_gid);
    facts.userInGroup = databaseHas(myName, myGroup, st.st_gid);
    facts.sessionHasGroup = sessionHas(st.st_gid);
    return facts;
}

}  // namespace qelv
