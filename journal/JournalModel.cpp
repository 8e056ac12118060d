#include "JournalModel.h"

#include "DateTimeText.h"

#include <QCoreApplication>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace {
constexpr size_t HugePage = 2 << 20;
}

template <class T>
T *LineIndexAllocator<T>::allocate(size_t n)
{
#ifdef Q_OS_LINUX
    const size_t bytes = n * sizeof(T);
    if (bytes >= HugePage) {
        const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
        void *p = std::aligned_alloc(HugePage, rounded);
        if (!p)
            throw std::bad_alloc();
        madvise(p, rounded, MADV_HUGEPAGE); // only a hint: ordinary pages when refused
        return static_cast<T *>(p);
    }
#endif
    return static_cast<T *>(::operator new(n * sizeof(T)));
}

template <class T>
void LineIndexAllocator<T>::deallocate(T *p, size_t n)
{
#ifdef Q_OS_LINUX
    if (n * sizeof(T) >= HugePage) {
        std::free(p);
        return;
    }
#endif
    ::operator delete(p);
}

template struct LineIndexAllocator<qint64>;

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

JournalLineIndex JournalLineIndex::build(QFile &file, qint64 chunkSize, const std::atomic<bool> &cancel)
{
    JournalLineIndex index;
    index.starts.reserve(size_t(file.size() / 64) + 16);
    std::vector<char> buffer(static_cast<size_t>(chunkSize));
    qint64 base = 0; // file offset of buffer[0]
    bool nonBlank = false;

    auto startLine = [&](qint64 start) {
        if (!nonBlank)
            index.blanks.push_back(quint32(index.starts.size() - 1));
        nonBlank = false;
        index.starts.push_back(start);
    };

    while (!cancel.load(std::memory_order_relaxed)) {
        const qint64 n = file.read(buffer.data(), chunkSize);
        if (n < 0) {
            index.error = file.errorString();
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
            startLine(base + (nl - begin) + 1);
            p = nl + 1;
        }
        base += n;
    }
    if (index.starts.back() < base) // the last line has no line end
        startLine(base);
    return index;
}

JournalModel::JournalModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_columns(DefaultColumns)
{
}

JournalModel::~JournalModel()
{
    stopReading();
}

bool JournalModel::load(const QString &filePath, qint64 chunkSize)
{
    startReading(filePath, chunkSize);
    adopt(m_generation);
    return m_error.isEmpty();
}

void JournalModel::startReading(const QString &filePath, qint64 chunkSize)
{
    clear();
    m_file.setFileName(filePath);
    m_reading = true;
    const quint64 generation = ++m_generation;
    chunkSize = qMax<qint64>(chunkSize, 1);
    m_worker = std::thread([this, filePath, chunkSize, generation] {
        auto index = std::make_unique<JournalLineIndex>();
        QFile file(filePath);
        if (file.exists()) {
            if (file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                *index = JournalLineIndex::build(file, chunkSize, m_cancel);
            else
                index->error = file.errorString();
        }
        m_result = std::move(index);
        // Delivered on the model's thread; a model being destroyed waits for
        // this thread first, so the call never meets a dead object.
        QMetaObject::invokeMethod(this, [this, generation] { adopt(generation); }, Qt::QueuedConnection);
    });
}

void JournalModel::stopReading()
{
    if (m_worker.joinable()) {
        m_cancel = true;
        m_worker.join();
        m_cancel = false;
    }
    m_result.reset();
    m_reading = false;
}

void JournalModel::adopt(quint64 generation)
{
    if (generation != m_generation || !m_reading)
        return; // a reading that was given up
    m_worker.join();
    std::unique_ptr<JournalLineIndex> index = std::move(m_result);
    m_reading = false;

    beginResetModel();
    m_index = std::move(*index);
    m_error = m_index.error;
    m_rows = int(qMin<qsizetype>(m_index.lines() - qsizetype(m_index.blanks.size()), INT_MAX));
    m_fetched = qMin(m_rows, FirstRows);
    if (m_rows > 0 && !m_file.open(QIODevice::ReadOnly))
        m_error = m_file.errorString(); // gone since: the rows read back empty
    endResetModel();
    emit read(m_error.isEmpty());
}

void JournalModel::clear()
{
    stopReading();
    beginResetModel();
    m_index = JournalLineIndex();
    m_error.clear();
    m_rows = 0;
    m_fetched = 0;
    m_file.close();
    for (Decoded &d : m_cache)
        d.row = -1;
    endResetModel();
}

qsizetype JournalModel::lineOfRow(int row) const
{
    // The rows count the non-blank lines from the newest; blank line i has
    // blanks[i] - i non-blank lines before it.
    const qsizetype nonBlank = m_rows - 1 - row;
    const std::vector<quint32> &blanks = m_index.blanks;
    qsizetype lo = 0, hi = qsizetype(blanks.size());
    while (lo < hi) {
        const qsizetype mid = (lo + hi) / 2;
        if (qsizetype(blanks[size_t(mid)]) - mid <= nonBlank)
            lo = mid + 1;
        else
            hi = mid;
    }
    return nonBlank + lo;
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
        if (m_fetched > 0)
            emit dataChanged(index(0, column), index(rowCount() - 1, column));
    }
    return true;
}

const JournalModel::Decoded &JournalModel::decoded(int row) const
{
    Decoded &d = m_cache[size_t(row) % m_cache.size()];
    if (d.row == row)
        return d;

    const qsizetype line = lineOfRow(row);
    const qint64 start = m_index.starts[size_t(line)];
    QByteArray bytes;
    if (m_file.isOpen() && m_file.seek(start))
        bytes = m_file.read(m_index.starts[size_t(line) + 1] - start); // shorter when the file was cut meanwhile
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    if (bytes.endsWith('\r'))
        bytes.chop(1);
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
    return int(lineOfRow(row) + 1);
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
    return parent.isValid() ? 0 : m_fetched;
}

bool JournalModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && m_fetched < m_rows;
}

void JournalModel::fetchMore(const QModelIndex &parent)
{
    if (!canFetchMore(parent))
        return;
    beginInsertRows(QModelIndex(), m_fetched, m_rows - 1);
    m_fetched = m_rows;
    endInsertRows();
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
