// Another application for the tests to give the focus to: a window with a line to type into that says
// on stdout when it gains or loses the focus and what was typed.
#include <QApplication>
#include <QLineEdit>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QLineEdit line;
    line.setWindowTitle(u"focus holder"_s);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, [&out](Qt::ApplicationState state) {
        out << (state == Qt::ApplicationActive ? "active" : "inactive") << Qt::endl;
    });
    QObject::connect(&line, &QLineEdit::textChanged,
                     [&out](const QString& text) { out << "text " << text << Qt::endl; });
    line.resize(400, 60);
    line.show();
    return QApplication::exec();
}
