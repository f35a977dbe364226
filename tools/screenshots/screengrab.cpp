// A picture of the X display, or of one window on it, as the user sees it:
// vela-screengrab OUTPUT.png [WINDOW_ID]. For trying the program under Xvfb
// (xdotool gives the window's id).

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: vela-screengrab OUTPUT.png [WINDOW_ID]\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    const WId window = argc == 3 ? WId(QByteArray(argv[2]).toULongLong(nullptr, 0)) : 0;
    const QPixmap shot = screen->grabWindow(window);
    std::printf("%s %dx%d\n", argv[1], shot.width(), shot.height());
    return shot.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
