#include "tempdatafolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempDataFolder::TempDataFolder(bool copyTemplates) : previousDir_(QDir::currentPath()) {
    if (copyTemplates) {
        const QDir templates(templateDir());
        for (const QFileInfo& fi : templates.entryInfoList(QDir::Files)) {
            QFile::copy(fi.filePath(), dir_.filePath(fi.fileName()));
            QFile::setPermissions(dir_.filePath(fi.fileName()),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }
    }
    QDir::setCurrent(dir_.path());
}

TempDataFolder::~TempDataFolder() {
    QDir::setCurrent(previousDir_);
}

QString TempDataFolder::sharedTestData(const QString& name) {
    return QDir(QStringLiteral(VELA_SHARED_TESTDATA)).filePath(name);
}
