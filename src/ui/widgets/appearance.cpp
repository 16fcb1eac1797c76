#include "ui/widgets/appearance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QStyleFactory>

namespace tarnel {

void applyAppearance(QApplication& app) {
    if (auto* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    const QStringList families = QFontDatabase::families();
    for (const char* candidate : {"Noto Sans CJK SC", "WenQuanYi Micro Hei", "Noto Serif CJK SC"}) {
        const QString name = QString::fromUtf8(candidate);
        if (families.contains(name)) {
            QFont f(name);
            f.setPointSizeF(9);
            app.setFont(f);
            break;
        }
    }
}

bool loadChineseQtTexts(QApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          dir)) {
        delete translator;
        return false;
    }
    return QApplication::installTranslator(translator);
}

}  // namespace tarnel
