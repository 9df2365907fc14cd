#include "store/ReadAhead.h"

#include "store/Loader.h"

void ReadAhead::wait() const
{
    if (m_result.valid())
        m_result.wait();
}

void ReadAhead::start(const QString &path, int maxDepth)
{
    m_path = path;
    m_result = std::async(std::launch::async, [path, maxDepth] {
        Result r;
        // Taken before the bytes: a change made while they are read shows
        // as another stat when the content is taken.
        r.before.acknowledge(path);
        r.read = r.before.known() && r.content.load(path);
        if (r.read)
            r.problem = TreeFileProblem(r.content, maxDepth);
        return r;
    });
}

bool ReadAhead::take(const QString &path, MasterFile *content, QString *problem)
{
    if (!m_result.valid() || path != m_path)
        return false;
    Result r = m_result.get();
    FileStamp now;
    now.acknowledge(path);
    if (!r.read || !now.known() || !now.sameStat(r.before))
        return false;
    r.content.setPath(content->path());
    *content = std::move(r.content);
    *problem = r.problem;
    return true;
}
