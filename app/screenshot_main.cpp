// The window as the program shows it, pictured for `./dev run --screenshot FILE`: it asks for a
// reading, saves a PNG once the reply may have arrived, then closes the ordinary way so that
// cfg.ini is written. Built beside the program, so it reads the same cfg.ini.
#include "run_main_window.h"

#include "Unit1.h"

#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.png\n", argv[0]);
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    return runMainWindow(argc, argv, [path](TForm1& Form1) {
        QTimer::singleShot(500, [&Form1] {
            if (Form1.Button6.Enabled())
                Form1.Button6.Click();
        });
        QTimer::singleShot(1500, [&Form1, path] {
            Form1.Widget()->grab().save(path, "PNG");
            Form1.Close();
        });
    });
}
