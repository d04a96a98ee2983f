#include "design_choices.h"

#include "ui/sysconfig.h"

#include <QJsonObject>

namespace {
const char* const kDesignsKey = "designs";
}

namespace design {

QString choicesKey(const QStringList& files)
{
    QStringList sorted = files;
    sorted.sort();
    sorted.removeDuplicates();
    return sorted.join(QLatin1Char('\n'));
}

DesignChoices rememberedChoices(const QString& configFile, const QStringList& files)
{
    const QJsonObject entry = sysconfig::readObject(configFile)
                                  .value(QLatin1String(kDesignsKey))
                                  .toObject()
                                  .value(choicesKey(files))
                                  .toObject();
    DesignChoices c;
    c.top = entry.value(QStringLiteral("top")).toString();
    c.simulator = entry.value(QStringLiteral("simulator")).toString();
    c.clockHz = entry.value(QStringLiteral("clockHz")).toDouble(kDefaultClockHz);
    c.keysActiveLow = entry.value(QStringLiteral("keysActiveLow")).toBool();
    return c;
}

bool rememberChoices(const QString& configFile, const QStringList& files, const DesignChoices& choices)
{
    QJsonObject designs = sysconfig::readObject(configFile).value(QLatin1String(kDesignsKey)).toObject();
    QJsonObject entry;
    entry.insert(QStringLiteral("top"), choices.top);
    entry.insert(QStringLiteral("simulator"), choices.simulator);
    entry.insert(QStringLiteral("clockHz"), choices.clockHz);
    entry.insert(QStringLiteral("keysActiveLow"), choices.keysActiveLow);
    designs.insert(choicesKey(files), entry);
    return sysconfig::writeValue(configFile, QLatin1String(kDesignsKey), designs, sysconfig::userLanguageFile());
}

} // namespace design
