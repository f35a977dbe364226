#include "maintenance/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "maintenance/reptexts.h"
#include "maintenance/serverbackup.h"

namespace velarep {

namespace {

QString u(const char* text) {
    return QString::fromUtf8(text);
}

const char* const kIdleStyle = "background-color: white;";
const char* const kRunningStyle = "background-color: rgb(0, 255, 0);";

template <typename T>
T* named(T* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

Form1::Form1(const QString& templateDir, RepDialogService& dialogs, QWidget* parent)
    : QWidget(parent), run_(templateDir, dialogs, this), dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(u(texts::kWindowTitle));

    Command1 = named(new QPushButton(u(texts::kCommand1), this), "Command1");
    Command1->setToolTip(u(texts::kCommand1Tip));
    Command1->setAccessibleDescription(u(texts::kCommand1Tip));
    Command2 = named(new QPushButton(u(texts::kCommand2), this), "Command2");
    Command2->setToolTip(u(texts::kCommand2Tip));
    Command2->setAccessibleDescription(u(texts::kCommand2Tip));
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, Command2, &QPushButton::click);
    Command1->setStyleSheet(QLatin1String(kIdleStyle));
    Command2->setStyleSheet(QLatin1String(kIdleStyle));
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    Frame1 = named(new QGroupBox(u(texts::kFrame1), this), "Frame1");
    l1 = named(new QLabel(Frame1), "l1");
    l2 = named(new QLabel(Frame1), "l2");
    Label1 = named(new QLabel(Frame1), "Label1");
    pb1 = named(new QProgressBar(Frame1), "pb1");
    pb2 = named(new QProgressBar(Frame1), "pb2");
    for (QProgressBar* pb : {pb1, pb2}) {
        pb->setRange(0, 1);
        pb->setValue(0);
    }
    Label3 = named(new QLabel(u(texts::kVersionLine), this), "Label3");

    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(l1);
    frameLayout->addWidget(pb1);
    frameLayout->addWidget(l2);
    frameLayout->addWidget(pb2);
    frameLayout->addWidget(Label1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch();
    buttons->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addWidget(Label3);
    layout->addLayout(buttons);
    resize(460, 240);
}

Form1::~Form1() {
    if (cursorOverridden_)
        QApplication::restoreOverrideCursor();
}

bool Form1::isAutoRun(const QString& argumentText) {
    const QString text = argumentText.toLower();
    // "/visszatoltes DIR" with "/s" before or after it.
    const QLatin1String restore("/visszatoltes ");
    for (const QString& rest :
         {text.startsWith(QLatin1String("/s ") + restore) ? text.mid(3 + restore.size())
                                                          : QString(),
          text.startsWith(restore) && text.endsWith(QLatin1String(" /s"))
              ? text.mid(restore.size(), text.size() - restore.size() - 3)
              : QString()}) {
        if (!rest.trimmed().isEmpty() &&
            !rest.split(QLatin1Char(' ')).contains(QLatin1String("/s")))
            return true;
    }
    for (const char* move : {"", "/kiszolgalo ", "/helyi "}) {
        const QString word = QString::fromLatin1(move).trimmed();
        if (text == QLatin1String(move) + QLatin1String("/s") ||
            (!word.isEmpty() && text == QLatin1String("/s ") + word))
            return true;
    }
    return false;
}

void Form1::start(const QString& argumentText) {
    arguments_ = argumentText;
    show();
    if (!isAutoRun(argumentText))
        return;
    Command1_Click();
    close();
}

void Form1::Command1_Click() {
    runRequested(run_, arguments_, isAutoRun(arguments_), dialogs_);
}

void Form1::Command2_Click() {
    close();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (run_.isBusy())
        event->ignore();
    else
        event->accept();
}

void Form1::setDatabaseText(const QString& text) {
    l1->setText(text);
}
void Form1::setTableText(const QString& text) {
    l2->setText(text);
}
void Form1::setStatusText(const QString& text) {
    Label1->setText(text);
}

void Form1::setDatabaseProgress(int value, int maximum) {
    pb1->setMaximum(maximum);
    pb1->setValue(value);
}

void Form1::setTableProgress(int value, int maximum) {
    pb2->setMaximum(maximum);
    pb2->setValue(value);
}

void Form1::setRunning(bool running) {
    // The button whose action runs turns green and returns to white.
    Command1->setStyleSheet(running ? QLatin1String(kRunningStyle) : QLatin1String(kIdleStyle));
    Command1->setEnabled(!running);
    Command2->setEnabled(!running);
}

void Form1::setWaitCursor(bool on) {
    if (on && !cursorOverridden_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && cursorOverridden_)
        QApplication::restoreOverrideCursor();
    cursorOverridden_ = on;
}

void Form1::repaint() {
    // Labels and bars move while the run works; user input waits, the
    // buttons are disabled anyway and closing is refused.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace velarep
