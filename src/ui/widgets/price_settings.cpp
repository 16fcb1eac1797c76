#include "ui/widgets/price_settings.h"

#include "core/analysis/money_amount.h"
#include "ui/widgets/settings.h"

#include <cmath>

namespace tarnel {

namespace {

// Amounts are remembered in fen, so that a typed "2.5" comes back as it was.

struct Bounds {
    qint64 minFen;
    qint64 maxFen;
};

// The ranges tarnel-cli reads too: a bet costs from a fen (the results
// view's price box starts there) to 10,000 yuan; a prize may be nothing,
// and at most a million.
Bounds bounds(MoneyField field) {
    if (field == MoneyField::Price) return {kPriceMinFen, kPriceMaxFen};
    return {kPrizeMinFen, kPrizeMaxFen};
}

qint64 readFen(Setting setting, MoneyField field, double fallback) {
    const qint64 fen = Settings::longValue(setting);
    const Bounds b = bounds(field);
    if (fen < b.minFen || fen > b.maxFen) return std::llround(fallback * 100);
    return fen;
}

qint64 toFen(double yuan) { return std::llround(yuan * 100); }

}  // namespace

PriceSettings& PriceSettings::notifier() {
    static PriceSettings* instance = new PriceSettings;  // lives as long as the program
    return *instance;
}

MoneyPrices PriceSettings::prices() {
    const MoneyPrices d;
    MoneyPrices p;
    p.price = double(readFen(Setting::PriceFen, MoneyField::Price, d.price)) / 100;
    p.direct = double(readFen(Setting::DirectFen, MoneyField::Direct, d.direct)) / 100;
    p.group3 = double(readFen(Setting::Group3Fen, MoneyField::Group3, d.group3)) / 100;
    p.group6 = double(readFen(Setting::Group6Fen, MoneyField::Group6, d.group6)) / 100;
    p.twoStar = double(readFen(Setting::TwoStarFen, MoneyField::TwoStar, d.twoStar)) / 100;
    p.groupBets = Settings::boolValue(Setting::GroupBets);
    return p;
}

void PriceSettings::setPrices(const MoneyPrices& prices) {
    if (prices == PriceSettings::prices()) return;
    Settings::set({{Setting::PriceFen, toFen(prices.price)},
                   {Setting::DirectFen, toFen(prices.direct)},
                   {Setting::Group3Fen, toFen(prices.group3)},
                   {Setting::Group6Fen, toFen(prices.group6)},
                   {Setting::TwoStarFen, toFen(prices.twoStar)},
                   {Setting::GroupBets, prices.groupBets}});
    emit notifier().changed();
}

int PriceSettings::priceFen() { return int(toFen(prices().price)); }

void PriceSettings::setPriceFen(int fen) {
    MoneyPrices p = prices();
    p.price = double(fen) / 100;
    setPrices(p);
}

std::optional<double> PriceSettings::parse(MoneyField field, const QString& text, QString* error) {
    const QString name = fieldName(field);
    const Bounds b = bounds(field);
    const QString range = QStringLiteral("%1 到 %2 元").arg(amountText(double(b.minFen) / 100), amountText(double(b.maxFen) / 100));
    auto refuse = [&](const QString& why) -> std::optional<double> {
        if (error) *error = why;
        return std::nullopt;
    };
    const QString t = text.trimmed();
    // Read as tarnel-cli reads --price and --prizes: the same exact decimal, the same range.
    const Amount amount = readAmount(t.toStdString(), b.minFen, b.maxFen);
    switch (amount.problem) {
    case AmountProblem::None: return double(amount.fen) / 100;
    case AmountProblem::Empty: return refuse(QStringLiteral("%1不能为空，请输入 %2 之间的金额。").arg(name, range));
    case AmountProblem::Negative: return refuse(QStringLiteral("%1不能是负数，请输入 %2 之间的金额。").arg(name, range));
    case AmountProblem::NotANumber:
        return refuse(QStringLiteral("“%1”不是金额：%2请只输入数字和小数点，如 2 或 2.5。").arg(t, name));
    case AmountProblem::TooManyDecimals: return refuse(QStringLiteral("%1最多两位小数（精确到分）。").arg(name));
    case AmountProblem::TooLarge: return refuse(QStringLiteral("%1太大了，请输入 %2 之间的金额。").arg(name, range));
    case AmountProblem::TooSmall: return refuse(QStringLiteral("%1太小了，请输入 %2 之间的金额。").arg(name, range));
    }
    return refuse(QString());
}

QString PriceSettings::amountText(double yuan) {
    const qint64 fen = toFen(yuan);
    QString text = QString::number(fen / 100);
    if (fen % 100 != 0) {
        text += QLatin1Char('.') + QString::number(fen % 100).rightJustified(2, QLatin1Char('0'));
        if (text.endsWith(QLatin1Char('0'))) text.chop(1);
    }
    return text;
}

QString PriceSettings::fieldName(MoneyField field) {
    switch (field) {
        case MoneyField::Price: return QStringLiteral("单价");
        case MoneyField::Direct: return QStringLiteral("直选奖金");
        case MoneyField::Group3: return QStringLiteral("组三奖金");
        case MoneyField::Group6: return QStringLiteral("组六奖金");
        case MoneyField::TwoStar: return QStringLiteral("二星奖金");
    }
    return {};
}

}  // namespace tarnel
