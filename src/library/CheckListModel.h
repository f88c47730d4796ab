#pragma once

#include "library/Record.h"
#include "library/RecordStore.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

// A list of texts, each with a tick box, under one column heading: the program list and the
// message list of the Programs page. Ticks changed through the view (a click on the tick
// box, the space bar) are announced by tickChangedByUser; ticks set by the program are not,
// so loading a list writes nothing. Whole lists are set in one reset, so a list of a million
// entries appears at once; the texts are held once, in a RecordStore, and decoded row by row
// as the view paints them.
class CheckListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    // A row shows at most this many characters of its text: far more than the widest list of
    // the page can show, and few enough that a row of a text of megabytes is laid out at once.
    static constexpr qsizetype kShownLength = 1000;

    explicit CheckListModel(QString heading, QObject* parent = nullptr);

    // The view asks for every row's index when it lays out the list: answered without asking
    // rowCount and columnCount again each time.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    const RecordStore& store() const { return m_entries; }
    QList<Record> entries() const { return m_entries.toRecords(); }
    QString text(int row) const { return m_entries.text(row); }
    bool ticked(int row) const { return m_entries.ticked(row); }
    int count() const { return int(m_entries.size()); }

    void setEntries(const QList<Record>& entries);
    void setStore(RecordStore entries);
    void clear();
    void append(const Record& entry);
    void setText(int row, const QString& text);
    void setTicked(int row, bool ticked);
    void removeAt(int row);

signals:
    void tickChangedByUser(int row);

private:
    QString m_heading;
    RecordStore m_entries;
};
