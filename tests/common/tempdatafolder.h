#pragma once

#include <QString>
#include <QTemporaryDir>

// A temporary data folder filled with copies of the clean template databases;
// while it lives, the process's current directory is that folder.
class TempDataFolder {
  public:
    explicit TempDataFolder(bool copyTemplates = true);
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }

    static QString templateDir() { return QStringLiteral(VELA_TEMPLATE_DIR); }
    static QString sharedTestData(const QString& name);

  private:
    QTemporaryDir dir_;
    QString previousDir_;
};
