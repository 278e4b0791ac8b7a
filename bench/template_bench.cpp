// The template box with a 200 KB template: loading it (placeholders coloured
// as it loads) and typing one character into its longest line, against a
// plain QPlainTextEdit given the same text. Medians over the runs; run by
// hand: build/bin/template_bench [RUNS]

#include "TemplateBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double medianMs(int runs, const std::function<void()> &work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

QString largeTemplate(bool oneLine)
{
    QString text;
    const QString line = QStringLiteral(
        "   Dear %username%, your IP is %IP%, %TimeInit% Mins, left %timeleft%, %usrname%");
    while (text.size() < 200 * 1024)
        text += line + (oneLine ? QStringLiteral(" ") : QStringLiteral("\r\n"));
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    std::printf(
        "| template | plain setPlainText | TemplateBox setTemplate | ratio | plain keystroke "
        "| TemplateBox keystroke | ratio |\n|---|---|---|---|---|---|---|\n");
    for (bool oneLine : {false, true}) {
        const QString text = largeTemplate(oneLine);
        QPlainTextEdit plain;
        TemplateBox box;
        for (QPlainTextEdit *edit : {&plain, static_cast<QPlainTextEdit *>(&box)}) {
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->resize(409, 229);
            edit->show();
        }
        const double loadPlain = medianMs(runs, [&] {
            plain.setPlainText(text);
            QCoreApplication::processEvents();
        });
        const double loadBox = medianMs(runs, [&] {
            box.setTemplate(text);
            QCoreApplication::processEvents();
        });
        const auto keystroke = [&](QPlainTextEdit &edit) {
            edit.setFocus();
            QTextCursor cursor(edit.document()->lastBlock());
            cursor.movePosition(QTextCursor::EndOfBlock);
            edit.setTextCursor(cursor);
            return medianMs(runs, [&] {
                QTest::keyClick(&edit, Qt::Key_X);
                QCoreApplication::processEvents();
            });
        };
        const double keyPlain = keystroke(plain);
        const double keyBox = keystroke(box);
        std::printf("| 200 KB, %s | %.2f ms | %.2f ms | %.1fx | %.3f ms | %.3f ms | %.1fx |\n",
            oneLine ? "one line" : "80-character lines", loadPlain, loadBox, loadBox / loadPlain,
            keyPlain, keyBox, keyBox / keyPlain);
    }
    return 0;
}
