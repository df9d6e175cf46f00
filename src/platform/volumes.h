#pragma once

// The places a user can save to: the mounted volumes that are writable, with
// their free space. Behind a seam, so that tests can offer volumes of their
// own (temporary directories) with any free space.

#include "platform/hook.h"

#include <QList>
#include <QString>

namespace platform {

struct Volume
{
    // What the settings file keeps of a volume: the drive letter on
    // Windows ("C"), the root path elsewhere ("/media/stick").
    QString key;
    // The directory the volume's directory list starts at ("C:/", "/home/anna").
    QString root;
    // What the drive chooser and the messages show ("C:", "/media/stick").
    QString name;
};

class Volumes
{
public:
    virtual ~Volumes() = default;
    // The writable volumes, the one holding the user's home first.
    virtual QList<Volume> writable() const = 0;
    // Free bytes the user may write on the volume holding `path`; -1 when
    // it cannot be measured (no medium, no such path).
    virtual qint64 freeSpace(const QString &path) const = 0;
};

Hook<Volumes *> &volumesHook();
Volumes &volumes();
// Installs volumes (not owned); nullptr restores the system's.
void setVolumes(Volumes *volumes);

// The volume with the given key among `list`; nullptr when it is not there
// (a pulled stick). Letters match without regard to case.
const Volume *findVolume(const QList<Volume> &list, const QString &key);

} // namespace platform
