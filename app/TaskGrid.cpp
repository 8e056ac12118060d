#include "TaskGrid.h"

#include "DateTimeText.h"
#include "TaskFile.h"
#include "TaskTable.h"

#include <QCoreApplication>

namespace {
QString gridTitle(const char *text)
{
    return QCoreApplication::translate("TfrmSetting", text);
}
} // namespace

TTaskGridModel::TTaskGridModel(TTaskTable *table, QObject *parent)
    : QAbstractTableModel(parent)
    , m_table(table)
{
    connect(table, &QAbstractItemModel::modelAboutToBeReset, this, &TTaskGridModel::beginResetModel);
    connect(table, &QAbstractItemModel::modelReset, this, &TTaskGridModel::endResetModel);
    connect(table, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertRows({}, first, last); });
    connect(table, &QAbstractItemModel::rowsInserted, this, &TTaskGridModel::endInsertRows);
    connect(table, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveRows({}, first, last); });
    connect(table, &QAbstractItemModel::rowsRemoved, this, &TTaskGridModel::endRemoveRows);
    connect(table, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
        if (!m_columns.isEmpty())
            emit dataChanged(index(from.row(), 0), index(to.row(), int(m_columns.size()) - 1));
    });
    SetColumns(DefaultColumns());
}

QList<TGridColumn> TTaskGridModel::DefaultColumns()
{
    return {
        {QStringLiteral("Server"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Сервер")), 149},
        {QStringLiteral("DBName"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "База данных")), 122},
        {QStringLiteral("Hour"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Час")), 111},
        {QStringLiteral("Min"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Мин")), 159},
        {QStringLiteral("Path"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Путь")), 163},
        {QStringLiteral("DateLast"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Последний запуск")), 135},
        {QStringLiteral("Result"), gridTitle(QT_TRANSLATE_NOOP("TfrmSetting", "Результат")), 99},
    };
}

void TTaskGridModel::SetColumns(const QList<TGridColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    m_fields.clear();
    for (const TGridColumn &c : m_columns)
        m_fields.append(TTaskTable::FieldIndex(c.FieldName));
    endResetModel();
}

void TTaskGridModel::SetColumnTitle(int column, const QString &title)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].FieldTitle = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void TTaskGridModel::SetColumnField(int column, const QString &fieldName)
{
    if (column < 0 || column >= m_columns.size())
        return;
    m_columns[column].FieldName = fieldName;
    m_fields[column] = TTaskTable::FieldIndex(fieldName);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

int TTaskGridModel::ColumnField(int column) const
{
    return column >= 0 && column < m_fields.size() ? m_fields[column] : -1;
}

int TTaskGridModel::ColumnOf(const QString &fieldName) const
{
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].FieldName == fieldName)
            return c;
    return -1;
}

void TTaskGridModel::SetResultTexts(const QString &insertedTask, const QString &succeeded)
{
    m_insertedTask = insertedTask;
    m_succeeded = succeeded;
    const int column = ColumnOf(QStringLiteral("Result"));
    if (column >= 0 && rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column));
}

QString TTaskGridModel::CellText(int row, int column) const
{
    const int field = ColumnField(column);
    if (field < 0)
        return {};
    const QVariant v = m_table->Value(row, field);
    if (!v.isValid())
        return {};
    if (field == mResult) {
        const QString result = v.toString();
        if (result == NewTaskMarker)
            return m_insertedTask;
        if (result == SuccessResult)
            return m_succeeded;
        return result;
    }
    if (v.typeId() == QMetaType::QDateTime) {
        // ZeroDateTime stands for an empty or unparsable stored value.
        const QDateTime moment = v.toDateTime();
        if (!moment.isValid() || moment.date() < QDate(1900, 1, 1))
            return {};
        return DateTimeToText(moment);
    }
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return v.toString();
}

int TTaskGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_table->RecordCount();
}

int TTaskGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TTaskGridModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole)
        return CellText(index.row(), index.column());
    if (role == Qt::ToolTipRole && ColumnField(index.column()) == mResult)
        return CellText(index.row(), index.column());
    return {};
}

QVariant TTaskGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns[section].FieldTitle;
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return QString(); // the row indicator carries no numbers
    return QAbstractTableModel::headerData(section, orientation, role);
}
