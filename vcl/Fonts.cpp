#include "Fonts.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions() {
    const QString wenQuanYi = QStringLiteral("WenQuanYi Zen Hei");
    const QString song = QStringLiteral("AR PL UMing CN");
    const QStringList led{QStringLiteral("DSEG7 Classic"), wenQuanYi, song};
    QFont::insertSubstitutions(QStringLiteral("LedNumber"), led);
    QFont::insertSubstitutions(QStringLiteral("LedFont"), led);
    QFont::insertSubstitutions(QString::fromUtf8("宋体"), {song, wenQuanYi});
    QFont::insertSubstitutions(QStringLiteral("SimSun"), {song, wenQuanYi});
}
