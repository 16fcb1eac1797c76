#pragma once
// The player's price and prizes for backtests and the results view: one
// price per bet, the prizes of 直选, 组选三, 组选六 and 二星, and whether the
// main window's survivors are bought as 直选 or 组选. They are remembered
// between program starts; every window that shows money reads them here and
// hears when they change.

#include <QObject>
#include <QString>
#include <optional>

namespace tarnel {

struct MoneyPrices {
    double price = 2;      // yuan a bet
    double direct = 1040;  // 直选
    double group3 = 346;   // 组选三
    double group6 = 173;   // 组选六
    double twoStar = 100;  // 二星
    bool groupBets = false;  // the main window's survivors bought as 组选

    bool operator==(const MoneyPrices&) const = default;
};

// One field of the settings, with its bounds: a value outside them is refused.
enum class MoneyField { Price, Direct, Group3, Group6, TwoStar };

class PriceSettings : public QObject {
    Q_OBJECT
public:
    // The one object that announces changes.
    static PriceSettings& notifier();

    // What is remembered; a missing or damaged value reads as its default.
    static MoneyPrices prices();
    // Remembers new prices and announces them when they differ.
    static void setPrices(const MoneyPrices& prices);
    // The price in fen, as the results view counts it.
    static int priceFen();
    static void setPriceFen(int fen);

    // Reads a typed amount of yuan for a field: a plain decimal number with
    // at most two decimals, within the field's bounds. On refusal, `error`
    // says why in words a player reads.
    static std::optional<double> parse(MoneyField field, const QString& text, QString* error);
    // How a field shows an amount: "2", "2.5", "1040".
    static QString amountText(double yuan);
    // The field's name as the window shows it (单价, 直选奖金, …).
    static QString fieldName(MoneyField field);

signals:
    void changed();
};

}  // namespace tarnel
