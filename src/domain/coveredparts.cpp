#include "coveredparts.h"

#include "store/fields.h"
#include "store/table.h"

namespace domain {

namespace field = store::field;

QString coveredPartField(int index)
{
    static const QString *const names[coveredPartFields] = {&field::TDAB1, &field::TDAB2, &field::TDAB3, &field::TDAB4,
                                                            &field::TDAB5, &field::Tdab6, &field::Tdab7, &field::Tdab8,
                                                            &field::Tdab9, &field::Tdab10};
    return *names[index];
}

bool isChosenItem(const Table &composition, int recNo)
{
    return isChosenItem(composition.valueAt(recNo, field::Isheader).toBool(),
                        composition.valueAt(recNo, field::NoChild).toBool());
}

QList<int> coveredParts(const QList<int> &rowParts)
{
    bool covered[18] = {};
    for (int part : rowParts)
        if (part >= 1 && part <= 17)
            covered[part] = true;
    QList<int> parts;
    for (int part = 1; part <= 17 && parts.size() < coveredPartFields; ++part)
        if (covered[part])
            parts << part;
    return parts;
}

QList<int> coveredParts(const Table &rows, PartRows kind)
{
    QList<int> rowParts;
    for (int r = 0; r < rows.recordCount(); ++r)
        if (kind != PartRows::Composition || isChosenItem(rows, r))
            rowParts << rows.valueAt(r, field::Lfdnr).toInt();
    return coveredParts(rowParts);
}

void writeCoveredParts(Table &report, const QList<int> &parts, const QString &filler)
{
    for (int i = 0; i < coveredPartFields; ++i) {
        const QString text = i < parts.size() ? QString::number(parts[i]) : filler;
        report.setValue(coveredPartField(i), text.isEmpty() ? QVariant() : QVariant(text));
    }
}

} // namespace domain
