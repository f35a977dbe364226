#pragma once

#include <QDate>
#include <QString>
#include <cstdint>

#include "base/result.h"
#include "demobankstatement.h"

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

    // Fails with a Hungarian reason; a folder that is not empty is refused
    // unless force is set, and then only the files made here are replaced.
    [[nodiscard]] Status make(const QString& dir);

    // One line telling what was made.
    QString summary() const { return summary_; }

    static QString programDir();

    // The entries of the demo bank statement as they were meant (after make).
    const std::vector<DemoBankEntry>& bankEntries() const { return bankEntries_; }

  private:
    [[nodiscard]] Status prepareFolder(const QString& dir) const;
    [[nodiscard]] Status copyTemplates(const QString& dir) const;
    [[nodiscard]] Status fillPartners(const QString& path) const;
    [[nodiscard]] Status fillParameters(const QString& path, const QString& interfacePath) const;
    [[nodiscard]] Status copyExtraTree(const QString& dir) const;

    [[nodiscard]] Status writeBankStatement(const QString& dir);

    DemoOptions options_;
    QString summary_;
    std::vector<DemoBankEntry> bankEntries_;
};

}  // namespace vela::demo
