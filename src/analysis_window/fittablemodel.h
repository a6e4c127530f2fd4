#pragma once

#include "analysis/runanalysis.h"

#include <QAbstractTableModel>
#include <QLocale>

namespace Demagora {

// Read-only item model over the fits of an analysis, one row per member: member, n, from,
// to, declination, inclination (the pole's for planes), MAD, DANG, the angle to each
// component and, for a member without a fit, why. Used by the analysis window's table.
class FitTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FitTableModel(QObject *parent = nullptr);

    void setAnalysis(RunAnalysis analysis);
    const RunAnalysis &analysis() const { return m_analysis; }
    void setLocale(const QLocale &locale) { m_locale = locale; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The table as tab-separated lines with the headings first, for the clipboard.
    QString tabSeparatedText() const;

private:
    QString cellText(int row, int column) const;
    QString angleText(double value) const;

    RunAnalysis m_analysis;
    QLocale m_locale;
};

} // namespace Demagora
