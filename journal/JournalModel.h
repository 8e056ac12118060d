#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <array>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

// Storage for the line index. It is filled front to back in one go, so on
// Linux it asks for huge pages: a page fault every 4 KiB costs more than
// reading the journal itself.
template <class T>
struct LineIndexAllocator {
    using value_type = T;
    LineIndexAllocator() = default;
    template <class U>
    LineIndexAllocator(const LineIndexAllocator<U> &)
    {
    }
    T *allocate(size_t n);
    void deallocate(T *p, size_t n);
    bool operator==(const LineIndexAllocator &) const { return true; }
};

// Where the lines of a journal start: one pass over the file.
struct JournalLineIndex {
    // Where each line starts, then where the file ends; blank lines (nothing
    // above a space) are few, so they are listed apart by their index.
    std::vector<qint64, LineIndexAllocator<qint64>> starts{0};
    std::vector<quint32> blanks;
    QString error;

    qsizetype lines() const { return qsizetype(starts.size()) - 1; }
    // Reads the file in chunks; stops early when cancel becomes true.
    static JournalLineIndex build(QFile &file, qint64 chunkSize, const std::atomic<bool> &cancel);
};

// The journal viewer's table over Backup.log, newest line first.
//
// A journal grows by a line per backup for years, so the table never holds the
// file: opening indexes where each non-blank line starts in one pass, and a row
// is read back from the file and split only when the view asks for it. The
// pass can run beside the window (startReading), so the window is never held
// up by a large journal or a slow disk.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The table's fields, in the order of a journal line after the number.
    enum Field { memID, memDateTime, memRes, memServer, memDB, memPathFile, FieldCount };

    static constexpr int MaxTextLength = 255;      // what a text cell holds
    static constexpr qint64 DefaultChunk = 128 << 10; // bytes read at a time while indexing
    // Rows a view gets at once; the rest follow with fetchMore(). A view keeps
    // a record for every row it has, so a million of them are handed over
    // once the newest are on the screen.
    static constexpr int FirstRows = 1000;

    static QString fieldName(int field);
    static int fieldByName(const QString &name); // -1 when no field has that name
    static QString fieldCaption(int field);      // in the active language

    // The moment shown for a line whose first field is no date-time.
    static QDateTime unreadableMoment();

    explicit JournalModel(QObject *parent = nullptr);
    ~JournalModel() override;

    // Indexes the file. A missing file gives an empty table; a file that cannot
    // be read gives the lines read so far and false, with errorString().
    bool load(const QString &filePath, qint64 chunkSize = DefaultChunk);
    // The same on a thread of its own; read() follows on this object's thread.
    void startReading(const QString &filePath, qint64 chunkSize = DefaultChunk);
    bool isReading() const { return m_reading; }
    void clear();
    QString errorString() const { return m_error; }

    // The grid's columns and the field each one shows.
    int fieldOfColumn(int column) const;
    bool setColumnField(int column, const QString &fieldName); // false for an unknown name

    // Row 0 is the newest line. value() is the field in full, or nullopt when
    // the line does not have it; the grid shows text fields cut to 255.
    int lineNumber(int row) const;
    std::optional<QString> value(int row, int field) const;
    std::optional<QDateTime> moment(int row) const;

    int totalRows() const { return m_rows; } // rowCount() once everything is fetched
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void retranslate(); // captions follow the language

signals:
    void read(bool ok); // the journal has been indexed (or could not be read)

private:
    struct Decoded {
        int row = -1;
        int fieldCount = 0;
        std::array<QString, 5> fields;
        QDateTime moment;
        QString momentText;
    };

    const Decoded &decoded(int row) const;
    void stopReading();
    void adopt(quint64 generation);
    qsizetype lineOfRow(int row) const; // index into the file's lines

    JournalLineIndex m_index;
    int m_rows = 0;
    int m_fetched = 0;
    mutable QFile m_file;
    QString m_error;
    std::array<int, 6> m_columns;
    mutable std::array<Decoded, 128> m_cache; // rows on screen, by row number

    // The reading thread hands its index over through m_result.
    std::thread m_worker;
    std::atomic<bool> m_cancel{false};
    std::unique_ptr<JournalLineIndex> m_result;
    quint64 m_generation = 0;
    bool m_reading = false;
};
