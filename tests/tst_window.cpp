// The main window across program runs sharing one settings file, on two
// screens side by side. Guards: its size, place and maximised state come
// back at the next start; a place off every screen is not restored.
#include "app/vekconclusion.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

class TestWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir;

    // One run of the program: its window shown, used, and closed.
    void run(const std::function<void(CVEKConclusion&)>& fnUse) {
        CVEKConclusion window(nullptr, dir.path());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        fnUse(window);
        QVERIFY(window.close());
    }

private slots:
    void windowComesBackAsLeft() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
        const QRect placed(2000, 100, 1100, 800); // on the right screen
        run([&](CVEKConclusion& w) { w.setGeometry(placed); });
        run([&](CVEKConclusion& w) {
            QCOMPARE(w.geometry(), placed);
            w.showMaximized();
        });
        run([&](CVEKConclusion& w) {
            QVERIFY(w.isMaximized());
            w.showNormal();
            w.setGeometry(QRect(9000, 5000, 1100, 800)); // a screen since taken away
        });
        run([&](CVEKConclusion& w) {
            // the window is whole on one screen, its title bar with it
            const QRect shown = w.geometry();
            QVERIFY(QGuiApplication::screenAt(w.frameGeometry().topLeft()));
            QVERIFY(
                std::any_of(QGuiApplication::screens().cbegin(), QGuiApplication::screens().cend(),
                            [&](QScreen* p) { return p->availableGeometry().contains(shown); }));
            QCOMPARE(w.size(), placed.size());
        });
    }
};

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" NDT_TWO_SCREENS);
    QApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
