#include "ui/widgets/appearance.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QMultiHash>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTranslator>

namespace tarnel {

namespace {

// Equal palettes hash equal: every brush's colour and pattern, and which
// roles were set by hand.
size_t contentHash(const QPalette& palette) {
    size_t h = qHash(palette.resolveMask());
    for (int g = 0; g < QPalette::NColorGroups; ++g) {
        for (int r = 0; r < QPalette::NColorRoles; ++r) {
            const QBrush& brush = palette.brush(QPalette::ColorGroup(g), QPalette::ColorRole(r));
            h = qHashMulti(h, quint64(brush.color().rgba64()), int(brush.style()));
        }
    }
    return h;
}

class SharedPaletteStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        const Swap swap(*this, option);
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const Swap swap(*this, option);
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override {
        const Swap swap(*this, option);
        QProxyStyle::drawComplexControl(control, option, painter, widget);
    }

private:
    // Beyond this many sets of colours palettes are drawn as they come.
    static constexpr qsizetype kMaxShared = 256;

    // The shared palette with the colours of `palette`, or `palette` itself.
    // A control draws in several steps, so the last answer is kept at hand.
    const QPalette& shared(const QPalette& palette) const {
        if (palette.cacheKey() == lastKey_) return last_;
        const size_t h = contentHash(palette);
        auto found = shared_.constFind(h);
        while (found != shared_.cend() && found.key() == h &&
               !(found.value() == palette && found.value().resolveMask() == palette.resolveMask()))
            ++found;
        if (found == shared_.cend() || found.key() != h) {
            if (shared_.size() >= kMaxShared) return palette;
            found = shared_.insert(h, palette);
        }
        lastKey_ = palette.cacheKey();
        last_ = found.value();
        return last_;
    }

    // Draws with the shared palette in the option and puts the control's own
    // back afterwards. The options are the caller's own objects, made for
    // this one drawing; a drawing the style starts from inside finds the
    // shared palette already in place.
    class Swap {
    public:
        Swap(const SharedPaletteStyle& style, const QStyleOption* option) {
            if (!option) return;
            const QPalette& palette = style.shared(option->palette);
            if (palette.cacheKey() == option->palette.cacheKey()) return;
            option_ = const_cast<QStyleOption*>(option);
            own_ = option_->palette;
            option_->palette = palette;
        }
        ~Swap() {
            if (option_) option_->palette = own_;
        }
        Swap(const Swap&) = delete;
        Swap& operator=(const Swap&) = delete;

    private:
        QStyleOption* option_ = nullptr;
        QPalette own_;
    };

    mutable QMultiHash<size_t, QPalette> shared_;
    mutable qint64 lastKey_ = 0;
    mutable QPalette last_;
};

}  // namespace

QStyle* makeProgramStyle(QStyle* base) {
    if (!base) base = QStyleFactory::create(QStringLiteral("Fusion"));
    return new SharedPaletteStyle(base);
}

void applyAppearance(QApplication& app) {
    app.setStyle(makeProgramStyle());
    const QStringList families = QFontDatabase::families();
    // Microsoft YaHei: the Chinese interface font every Windows since Vista has.
    for (const char* candidate : {"Noto Sans CJK SC", "WenQuanYi Micro Hei", "Noto Serif CJK SC", "Microsoft YaHei"}) {
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
