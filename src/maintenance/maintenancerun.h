#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "base/result.h"

namespace vela {
class Connection;
}

namespace velarep {

class MaintenanceView;
class RepDialogService;

// One maintenance run over the data folder (the current directory): every
// database of the list goes into a dated backup folder, a clean template takes
// its place and the user's rows are copied back table by table.
class MaintenanceRun {
  public:
    MaintenanceRun(QString templateDir, RepDialogService& dialogs, MaintenanceView* view = nullptr);

    // The databases, in the order they are done.
    static const QStringList& databaseList();
    // "Data/" in the given program folder.
    static QString templateDirFor(const QString& programDir);

    void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }
    const QString& templateDir() const { return templateDir_; }

    // A step after a rebuild that met no error (moving the data to a
    // server): it adds lines under header to the end message, or fails with
    // the Error the end message tells. An empty step takes it away.
    // notRun: what the end message says when an error kept the step from
    // running (by default, that the move did not happen).
    using FinalStep = std::function<vela::Status(QStringList& report)>;
    void setFinalStep(QString header, FinalStep step, QString notRun = {}) {
        finalHeader_ = std::move(header);
        finalStep_ = std::move(step);
        finalNotRun_ = std::move(notRun);
    }
    // A step after the backup folder is made and before anything changes
    // (the server's backup into that folder): lines it adds to report go to
    // the end message; an Error stops the run there, told in that message.
    using BackupStep = std::function<vela::Status(const QString& backupDir, QStringList& report)>;
    void setBackupStep(BackupStep step) { backupStep_ = std::move(step); }
    void setView(MaintenanceView* view);

    bool isBusy() const { return busy_; }
    // The backup folder's name of the last run.
    QString backupFolder() const { return backupFolder_; }

    // Runs once; true when it reached the end message, false when the user
    // stopped it after an error (or a run was already busy).
    bool run();

    // The name a fresh database is filled under before it takes its place.
    static QString tempNameFor(const QString& fileName);

  private:
    struct Entry;

    bool runSteps();
    bool runEntry(const QString& name);
    [[nodiscard]] vela::Status moveToBackup(Entry& e);
    [[nodiscard]] vela::Status copyTemplate(Entry& e);
    [[nodiscard]] vela::Status checkMoved(Entry& e);
    bool copyDatabase(Entry& e);
    void copyTable(vela::Connection* db, const QString& table, const QString& sourceTable,
                   Entry& e);
    void copyJetTable(vela::Connection* db, const QString& table, Entry& e);
    // Reads what can be read of a table whose pages are damaged and copies it.
    void salvageTable(vela::Connection* db, const QString& table, const QString& sourceTable,
                      const QStringList& sourceColumns, Entry& e);
    void finishFresh(Entry& e);
    void discardFresh(Entry& e);
    // A database missing from the data folder while an earlier run's backup
    // folder holds it: the user chooses whether its rows come back from there.
    void offerOlderCopy(Entry& e);
    // The user's file, moved into the backup folder by this run, back in its place.
    [[nodiscard]] vela::Status putBack(Entry& e);
    // The entry met an error that left its file as it was (or still missing).
    void leftAlone(const Entry& e, const QString& error);
    void noteArrived(Entry& e, const QString& table, qint64 rows);
    QString endText(bool completed) const;
    void removeEmptyBackup();
    QString olderBackupOf(const QString& name) const;
    static bool sameShape(vela::Connection* db, const QString& table, const QString& sourceTable);
    // The rows written; a source row that cannot be read ends the copy, and
    // the rows after it count as not copied. An Error when the source turns
    // out damaged or the fresh file cannot be written.
    vela::Result<qint64> copyRowByRow(vela::Connection* db, const QString& insertHead,
                                      const QString& select, int columns);

    // Handles a step's error: true goes on (no error, an ignored one, or Yes).
    bool proceed(const QString& source, const QString& error);
    void show(const std::function<void(MaintenanceView&)>& change);

    QString templateDir_;
    RepDialogService& dialogs_;
    MaintenanceView* view_;
    std::function<QDateTime()> clock_;
    bool busy_ = false;
    // Past the first table copy of the current database: errors are ignored.
    bool quiet_ = false;
    QString dataDir_;
    QString backupFolder_;
    QString backupDir_;
    QStringList skipped_;
    QStringList salvaged_;
    QStringList notes_;
    // What went wrong, a line each: any makes the end message say so.
    QStringList problems_;
    // The databases an error or a stop left in their place as they were.
    QStringList untouched_;
    // Per database, the rows that came across, table by table.
    QStringList arrived_;
    // This run made the backup folder (and may remove it again when empty).
    bool madeBackupDir_ = false;
    int tablesDone_ = 0;
    int tableCount_ = 0;
    QString finalHeader_;
    QString finalNotRun_;
    FinalStep finalStep_;
    BackupStep backupStep_;
    QStringList finalReport_;
};

}  // namespace velarep
