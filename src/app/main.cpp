#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "capture/program.h"
#include "desktop/qt_platform.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vistrelle"));
    // The program ends itself (quit command); hiding every window does not.
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt's own dialogs (file, print) in French, like the program's texts.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    // The layouts are measured for the classic 8-point sans-serif face.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    QApplication::setFont(font);

    vis::QtPlatform platform;
    const QString icon = QCoreApplication::applicationDirPath() + QStringLiteral("/vistrelle.png");
    QApplication::setWindowIcon(QIcon(icon));
    vis::Program program(platform.services());
    program.start();
    return app.exec();
}
