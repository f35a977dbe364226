#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>

#include "maintenance/maintenanceview.h"
#include "maintenance/repdialogservice.h"

// Readable failures for Qt texts.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

// Message boxes for tests: every box is recorded; questions are answered from
// a queue, No when it is empty; onAsk runs while a question is "open".
class ScriptedRepDialogs : public velarep::RepDialogService {
  public:
    struct Box {
        QString text;
        QString title;
        Icon icon;
        bool question;
    };

    bool ask(const QString& text, const QString& title, Icon icon) override;
    void tell(const QString& text, const QString& title, Icon icon) override;

    QList<Box> boxes;
    QList<bool> answers;
    std::function<void()> onAsk;
    int questions() const;
};

// Records what the run shows; `check` runs at every repaint.
class RecordingView : public velarep::MaintenanceView {
  public:
    void setDatabaseText(const QString& t) override { l1 << t; }
    void setTableText(const QString& t) override { l2 << t; }
    void setStatusText(const QString& t) override { label1 << t; }
    void setDatabaseProgress(int v, int m) override { pb1 = {v, m}; }
    void setTableProgress(int v, int m) override { pb2 = {v, m}; }
    void setRunning(bool r) override { running << r; }
    void repaint() override {
        ++repaints;
        if (check)
            check();
    }

    QStringList l1, l2, label1;
    QPair<int, int> pb1{-1, -1}, pb2{-1, -1};
    QList<bool> running;
    int repaints = 0;
    std::function<void()> check;
};

// Small SQLite helpers over a file path.
namespace sql {
bool exec(const QString& path, const QString& statements);
// A new database file made of the statements.
bool create(const QString& path, const QString& statements);
qint64 count(const QString& path, const QString& table);
QStringList rows(const QString& path, const QString& query);  // columns joined by "|"
QStringList columns(const QString& path, const QString& table);
QStringList tables(const QString& path);
}  // namespace sql

QByteArray readFile(const QString& path);
// The folder's entries, sorted, hidden ones too.
QStringList entries(const QString& dir);
// Rows for the four template databases of the data folder.
void fillUserRows();
