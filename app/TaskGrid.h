#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>

class TTaskTable;

// One column of the task grid: which field it shows, its title and width.
struct TGridColumn {
    QString FieldName;
    QString FieldTitle;
    int Width = 0;
};

// What the task grid shows of the task table: a list of columns over the
// table's fields, with the grid's drawing rules for the result and last-run
// cells.
class TTaskGridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TTaskGridModel(TTaskTable *table, QObject *parent = nullptr);

    // The seven columns as designed, titles in the active language.
    static QList<TGridColumn> DefaultColumns();

    QList<TGridColumn> Columns() const { return m_columns; }
    void SetColumns(const QList<TGridColumn> &columns);
    void SetColumnTitle(int column, const QString &title);
    void SetColumnField(int column, const QString &fieldName);
    int ColumnField(int column) const; // the table field, -1 when unknown
    int ColumnOf(const QString &fieldName) const;

    // The texts a result is drawn with ("insert_new_task", "Succesfull").
    void SetResultTexts(const QString &insertedTask, const QString &succeeded);
    // The text the grid draws in a cell.
    QString CellText(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TTaskTable *m_table;
    QList<TGridColumn> m_columns;
    QList<int> m_fields;
    QString m_insertedTask;
    QString m_succeeded;
};
