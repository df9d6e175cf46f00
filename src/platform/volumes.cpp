#include "platform/volumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace platform {

namespace {

#ifdef Q_OS_WIN
Volume volumeOf(const QStorageInfo &info)
{
    const QString root = QDir::fromNativeSeparators(info.rootPath());
    const QString letter = root.left(1).toUpper();
    return {letter, root, letter + QLatin1Char(':')};
}
#else
// Mounts of the system itself, never a place for the user's data.
bool systemMount(const QString &root)
{
    static const char *const system[] = {"/proc", "/sys", "/dev", "/run", "/boot", "/snap", "/var", "/usr", "/tmp"};
    if (root.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const char *s : system) {
        const QLatin1String prefix(s);
        if (root == prefix || root.startsWith(prefix + QLatin1Char('/')))
            return true;
    }
    return false;
}
#endif

class SystemVolumes final : public Volumes
{
public:
    QList<Volume> writable() const override
    {
        QList<Volume> list;
#ifdef Q_OS_WIN
        for (const QStorageInfo &info : QStorageInfo::mountedVolumes())
            if (info.isValid() && info.isReady() && !info.isReadOnly())
                list << volumeOf(info);
#else
        // The home volume is offered at the home directory, the part of it
        // the user may write to; other volumes (sticks, network mounts)
        // when their root is writable.
        const QString home = QDir::homePath();
        const QString homeRoot = QStorageInfo(home).rootPath();
        list << Volume{homeRoot, home, home};
        for (const QStorageInfo &info : QStorageInfo::mountedVolumes()) {
            const QString root = info.rootPath();
            if (!info.isValid() || !info.isReady() || info.isReadOnly() || root == homeRoot || systemMount(root))
                continue;
            if (QFileInfo(root).isWritable())
                list << Volume{root, root, root};
        }
#endif
        return list;
    }

    qint64 freeSpace(const QString &path) const override
    {
        const QStorageInfo info(path);
        if (!info.isValid() || !info.isReady() || !QFileInfo::exists(path))
            return -1;
        return info.bytesAvailable();
    }
};

} // namespace

Hook<Volumes *> &volumesHook()
{
    static SystemVolumes system;
    static Hook<Volumes *> hook(&system);
    return hook;
}

Volumes &volumes()
{
    return *volumesHook().get();
}

void setVolumes(Volumes *v)
{
    volumesHook().set(v);
}

const Volume *findVolume(const QList<Volume> &list, const QString &key)
{
    for (const Volume &v : list)
        if (v.key.compare(key, key.size() == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0)
            return &v;
    return nullptr;
}

} // namespace platform
