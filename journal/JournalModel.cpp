#include "JournalModel.h"

#include "DateTimeText.h"

#include <QCoreApplication>
#include <cstring>

namespace {

struct FieldInfo {
    const char *name;
    const char *caption;
};

// Captions are translated in the viewer's context, like its other texts.
const FieldInfo Fields[JournalModel::FieldCount] = {
    {"memID", "#"},
    {"memDateTime", QT_TRANSLATE_NOOP("TfrmJOpen", "Дата")},
    {"memRes", QT_TRANSLATE_NOOP("TfrmJOpen", "Результат")},
    {"memServer", QT_TRANSLATE_NOOP("TfrmJOpen", "Сервер")},
    {"memDB", QT_TRANSLATE_NOOP("TfrmJOpen", "База")},
    {"memPathFile", QT_TRANSLATE_NOOP("TfrmJOpen", "Путь")},
};

// The grid's columns as designed.
constexpr std::array<int, 6> DefaultColumns = {JournalModel::memID,  JournalModel::memDateTime,
                                               JournalModel::memServer, JournalModel::memDB,
                                               JournalModel::memRes, JournalModel::memPathFile};

QString cut(const QString &text)
{
    if (text.size() <= JournalModel::MaxTextLength)
        return text;
    qsizetype n = JournalModel::MaxTextLength;
    if (text.at(n - 1).isHighSurrogate())
        --n; // never leave half a character
    return text.left(n);
}

} // namespace

QString JournalModel::fieldName(int field)
{
    return field >= 0 && field < FieldCount ? QString::fromLatin1(Fields[field].name) : QString();
}

int JournalModel::fieldByName(const QString &name)
{
    for (int f = 0; f < FieldCount; ++f) {
        if (name.compare(QLatin1String(Fields[f].name), Qt::CaseInsensitive) == 0)
            return f;
    }
    return -1;
}

QString JournalModel::fieldCaption(int field)
{
    if (field < 0 || field >= FieldCount)
        return QString();
    return QCoreApplication::translate("TfrmJOpen", Fields[field].caption);
}

QDateTime JournalModel::unreadableMoment()
{
    return QDateTime(QDate(1899, 1, 1), QTime(1, 1, 1, 1), Qt::UTC);
}

JournalModel::JournalModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(DefaultColumns)
{
}

bool JournalModel::load(const QString &filePath, qint64 chunkSize)
{
    beginResetModel();
    m_lines.clear();
    m_error.clear();
    m_file.close();
    for (Decoded &d : m_cache)
        d.row = -1;
    m_file.setFileName(filePath);
    bool ok = true;
    if (m_file.exists()) {
        if (m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            indexLines(qMax<qint64>(chunkSize, 1));
            ok = m_error.isEmpty();
        } else {
            m_error = m_file.errorString();
            ok = false;
        }
    }
    endResetModel();
    return ok;
}

void JournalModel::indexLines(qint64 chunkSize)
{
    m_lines.reserve(size_t(m_file.size() / 64) + 16);
    std::vector<char> buffer(static_cast<size_t>(chunkSize));
    qint64 base = 0;      // file offset of buffer[0]
    qint64 lineStart = 0; // file offset of the line being read
    quint32 number = 0;   // lines finished so far
    bool nonBlank = false;
    char last = 0; // the byte before the buffer

    auto finish = [&](qint64 end, bool cr) {
        ++number;
        if (nonBlank) {
            const qint64 length = end - lineStart - (cr ? 1 : 0);
            m_lines.push_back({lineStart, quint32(qMin<qint64>(length, 0xFFFFFFFF)), number});
        }
        nonBlank = false;
    };

    for (;;) {
        const qint64 n = m_file.read(buffer.data(), chunkSize);
        if (n < 0) {
            m_error = m_file.errorString();
            break;
        }
        if (n == 0)
            break;
        const char *const begin = buffer.data();
        const char *const end = begin + n;
        const char *p = begin;
        while (p < end) {
            const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            const char *segmentEnd = nl ? nl : end;
            // Blank means nothing above a space, as trimming sees it; a journal
            // line starts with its date, so this stops at the first byte.
            for (const char *q = p; !nonBlank && q < segmentEnd; ++q)
                nonBlank = static_cast<unsigned char>(*q) > ' ';
            if (!nl)
                break;
            const bool cr = nl > begin ? nl[-1] == '\r' : last == '\r';
            finish(base + (nl - begin), cr);
            lineStart = base + (nl - begin) + 1;
            p = nl + 1;
        }
        last = end[-1];
        base += n;
    }
    if (lineStart < base) // the last line has no line end
        finish(base, last == '\r');
}

void JournalModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_lines.shrink_to_fit();
    m_file.close();
    for (Decoded &d : m_cache)
        d.row = -1;
    endResetModel();
}

int JournalModel::fieldOfColumn(int column) const
{
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)] : -1;
}

bool JournalModel::setColumnField(int column, const QString &fieldName)
{
    const int field = fieldByName(fieldName);
    if (field < 0 || column < 0 || column >= int(m_columns.size()))
        return false;
    if (m_columns[size_t(column)] != field) {
        m_columns[size_t(column)] = field;
        emit headerDataChanged(Qt::Horizontal, column, column);
        if (!m_lines.empty())
            emit dataChanged(index(0, column), index(rowCount() - 1, column));
    }
    return true;
}

const JournalModel::Decoded &JournalModel::decoded(int row) const
{
    Decoded &d = m_cache[size_t(row) % m_cache.size()];
    if (d.row == row)
        return d;

    const Line &line = m_lines[m_lines.size() - 1 - size_t(row)];
    QByteArray bytes;
    if (m_file.isOpen() && m_file.seek(line.offset))
        bytes = m_file.read(line.length); // shorter when the file was cut meanwhile
    const QString text = QString::fromLocal8Bit(bytes);

    d.row = row;
    d.fieldCount = 0;
    qsizetype from = 0;
    while (d.fieldCount < int(d.fields.size())) {
        const qsizetype tab = text.indexOf(QLatin1Char('\t'), from);
        d.fields[size_t(d.fieldCount++)] = text.mid(from, tab < 0 ? -1 : tab - from);
        if (tab < 0)
            break;
        from = tab + 1;
    }
    d.moment = TextToDateTime(d.fields[0].trimmed()).value_or(unreadableMoment());
    d.momentText = DateTimeToText(d.moment);
    return d;
}

int JournalModel::lineNumber(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    return int(m_lines[m_lines.size() - 1 - size_t(row)].number);
}

std::optional<QString> JournalModel::value(int row, int field) const
{
    if (row < 0 || row >= rowCount() || field < 0 || field >= FieldCount)
        return std::nullopt;
    if (field == memID)
        return QString::number(lineNumber(row));
    const Decoded &d = decoded(row);
    if (field == memDateTime)
        return d.momentText;
    const int index = field - memRes + 1; // memRes is the line's second field
    if (index >= d.fieldCount)
        return std::nullopt;
    return d.fields[size_t(index)];
}

std::optional<QDateTime> JournalModel::moment(int row) const
{
    if (row < 0 || row >= rowCount())
        return std::nullopt;
    return decoded(row).moment;
}

int JournalModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_lines.size());
}

int JournalModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant JournalModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const int field = fieldOfColumn(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        if (field == memID)
            return lineNumber(index.row());
        const std::optional<QString> text = value(index.row(), field);
        if (!text)
            return QVariant();
        return field == memDateTime ? *text : cut(*text);
    }
    case Qt::TextAlignmentRole:
        if (field == memID)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant JournalModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return fieldCaption(fieldOfColumn(section));
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return QVariant();
}

Qt::ItemFlags JournalModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void JournalModel::retranslate()
{
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}
