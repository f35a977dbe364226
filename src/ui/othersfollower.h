#pragma once

#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QTimer;

namespace vela {

class DialogService;
class FieldBinder;
class RecordSource;

// Keeps a window's rows in step with the other workstations: a few times a
// second it looks whether another connection committed to the rows'
// database and reads them anew, keeping the current row, the order, the
// filter and the grid's scroll place. Nothing the user is typing is written
// or thrown away by it: while a field or a grid cell is being typed into or
// the current row has an unsaved edit, the re-read waits until that is
// saved or cancelled. A server that goes away is told once, until it is
// reached again.
class OthersFollower : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 300;

    OthersFollower(RecordSource* source, FieldBinder* binder, QAbstractItemView* grid,
                   DialogService* dialogs, QObject* parent = nullptr);

    // One look, as the timer takes it: true when the rows were read anew.
    bool look();

  signals:
    // The rows were read anew because another workstation wrote: figures
    // kept beside them follow.
    void followed();

  private:
    bool typing() const;

    RecordSource* source_;
    QPointer<FieldBinder> binder_;
    QPointer<QAbstractItemView> grid_;
    DialogService* dialogs_;
    QTimer* timer_;
    bool lostTold_ = false;
    bool looking_ = false;
};

}  // namespace vela
