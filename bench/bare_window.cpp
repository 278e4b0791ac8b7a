// The floor for start-up: a window of the same size and the same controls as
// Welcora's, with Qt's defaults, no skin, no fonts of its own and no store.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Bare");
    QMenu *file = window.menuBar()->addMenu("&File");
    for (const char *item : {"Save Message", "Reload Message", "Save Configuration"})
        file->addAction(item);
    file->addSeparator();
    file->addAction("Exit", &app, &QApplication::quit);
    QMenu *help = window.menuBar()->addMenu("Help");
    help->addAction("Help");
    help->addAction("About");

    auto *client = new QWidget;
    client->setFixedSize(458, 360);
    window.setCentralWidget(client);
    auto *tabs = new QTabWidget(client);
    tabs->setGeometry(15, 24, 429, 313);
    QWidget *pages[3] = {new QWidget, new QWidget, new QWidget};
    tabs->addTab(pages[0], "Message");
    tabs->addTab(pages[1], "Setting");
    tabs->addTab(pages[2], "About");
    tabs->setCurrentIndex(1);

    (new QPlainTextEdit("Hi", pages[0]))->setGeometry(8, 20, 409, 229);
    int y = 10;
    for (const char *caption : {"Save", "Reload", "Test"})
        (new QPushButton(caption, pages[0]))->move(10, y += 25);
    y = 10;
    for (const char *caption : {"Path:", "Source:", "User:", "PWD:", "ISP"}) {
        (new QLabel(caption, pages[1]))->move(12, y += 24);
        (new QLineEdit(pages[1]))->setGeometry(120, y, 233, 21);
    }
    for (const char *caption : {"Brows", "Discover", "Save"})
        (new QPushButton(caption, pages[1]))->move(300, y += 25);
    (new QLabel("Welcora", pages[2]))->move(20, 20);
    (new QLabel("For more information", pages[2]))->move(24, 184);

    window.show();
    return app.exec();
}
