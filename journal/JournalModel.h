#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QFile>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// The journal viewer's table over Backup.log, newest line first.
//
// A journal grows by a line per backup for years, so the table never holds the
// file: opening indexes where each non-blank line starts in one pass, and a row
// is read back from the file and split only when the view asks for it.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The table's fields, in the order of a journal line after the number.
    enum Field { memID, memDateTime, memRes, memServer, memDB, memPathFile, FieldCount };

    static constexpr int MaxTextLength = 255;      // what a text cell holds
    static constexpr qint64 DefaultChunk = 1 << 20; // bytes read at a time while indexing

    static QString fieldName(int field);
    static int fieldByName(const QString &name); // -1 when no field has that name
    static QString fieldCaption(int field);      // in the active language

    // The moment shown for a line whose first field is no date-time.
    static QDateTime unreadableMoment();

    explicit JournalModel(QObject *parent = nullptr);

    // Indexes the file. A missing file gives an empty table; a file that cannot
    // be read gives the lines read so far and false, with errorString().
    bool load(const QString &filePath, qint64 chunkSize = DefaultChunk);
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

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    void retranslate(); // captions follow the language

private:
    struct Line {
        qint64 offset;
        quint32 length; // without the line end
        quint32 number; // counting blank lines, from 1
    };
    struct Decoded {
        int row = -1;
        int fieldCount = 0;
        std::array<QString, 5> fields;
        QDateTime moment;
        QString momentText;
    };

    const Decoded &decoded(int row) const;
    void indexLines(qint64 chunkSize);

    std::vector<Line> m_lines; // file order, blank lines left out
    mutable QFile m_file;
    QString m_error;
    std::array<int, 6> m_columns;
    mutable std::array<Decoded, 128> m_cache; // rows on screen, by row number
};
