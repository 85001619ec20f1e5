#include "outside/childprocess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

extern char** environ;

using namespace Qt::StringLiterals;

ChildProcess::ChildProcess(const QByteArray& program, const QStringList& arguments, const QString& folder)
{
    std::vector<QByteArray> words{program};
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray path = QFile::encodeName(folder);
    if (!folder.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, path.constData());
    if (posix_spawn(&m_pid, program.constData(), &actions, nullptr, argv.data(), environ) != 0)
        m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
}

bool ChildProcess::isRunning() const
{
    return m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0;
}

long ChildProcess::statusKiB(const QByteArray& field) const
{
    QFile status(procPath(u"status"_s));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLong();
    }
    return -1;
}

double ChildProcess::cpuSeconds() const
{
    QFile stat(procPath(u"stat"_s));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // After the name in parentheses (which may hold blanks), utime and stime are the 12th and
    // 13th fields, in clock ticks.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

bool ChildProcess::hasThread(const QByteArray& name) const
{
    const QDir tasks(procPath(u"task"_s));
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(task + u"/comm"_s));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return true;
    }
    return false;
}

bool ChildProcess::hasOpen(const QString& path) const
{
    const QDir descriptors(procPath(u"fd"_s));
    for (const QFileInfo& descriptor :
         descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (descriptor.symLinkTarget() == path)
            return true;
    }
    return false;
}

QString ChildProcess::procPath(const QString& name) const
{
    return u"/proc/%1/%2"_s.arg(m_pid).arg(name);
}
