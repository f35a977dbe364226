#include "base/filelookup.h"

#include <QDir>
#include <QFileInfo>

namespace vela {

QString findEntryNoCase(const QString& dir, const QString& name) {
    const QDir d(dir);
    if (name.isEmpty())
        return {};
    if (QFileInfo::exists(d.filePath(name)))
        return name;
    const QString folded = name.toCaseFolded();
    for (const QString& entry :
         d.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.toCaseFolded() == folded)
            return entry;
    }
    return {};
}

QString findFileNoCase(const QString& dir, const QString& name) {
    const QString entry = findEntryNoCase(dir, name);
    return QDir(dir).filePath(entry.isEmpty() ? name : entry);
}

}  // namespace vela
