#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

namespace vela::demo {

struct DemoOptions {
    int payablesRows = 300;     // VelaData
    int receivablesRows = 300;  // VelanakData
    bool force = false;         // write into a folder that is not empty
    QDate today = QDate::currentDate();
    std::uint64_t seed = 20240307;
    QString templateDir;  // the clean template databases; empty: Data/ beside the program
    QString extraDir;     // copied into the folder when it exists; empty: DataFolder/ beside it
};

// Makes a data folder a new user can start VelaData on at once: the four
// databases copied from the clean templates and filled with ledgers,
// partners, countries and the parameters row, a stand-in invoicing database
// in its FakturoW subfolder, and the files every data folder carries.
class DemoFolderMaker {
  public:
    explicit DemoFolderMaker(DemoOptions options);

    // false with a Hungarian reason; a folder that is not empty is refused
    // unless force is set, and then only the files made here are replaced.
    bool make(const QString& dir, QString* error);

    // One line telling what was made.
    QString summary() const { return summary_; }

    static QString programDir();

  private:
    bool prepareFolder(const QString& dir, QString* error) const;
    bool copyTemplates(const QString& dir, QString* error) const;
    bool fillPartners(const QString& path, QString* error) const;
    bool fillParameters(const QString& path, const QString& interfacePath, QString* error) const;
    bool copyExtraTree(const QString& dir, QString* error) const;

    DemoOptions options_;
    QString summary_;
};

}  // namespace vela::demo
