// The English translation against the sources: lupdate gathers every text of
// the window folders into a copy of the translation file, and every text must
// have its English there, except the ones that read the same in both
// languages by leaving English empty.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Message {
    QString context;
    QString comment; // the message id, where the source gives one
    QString source;
    QString translation;
    bool unfinished = false;

    QString describe() const
    {
        return context + (comment.isEmpty() ? QString() : QLatin1Char(' ') + comment) + QStringLiteral(": \"") + source
            + QLatin1Char('"');
    }
};

QList<Message> readMessages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<Message> messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            current = Message { context, {}, {}, {}, false };
        } else if (name == QLatin1String("source")) {
            current.source = xml.readElementText();
        } else if (name == QLatin1String("comment")) {
            current.comment = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            current.unfinished = xml.attributes().value(QLatin1String("type")) == QLatin1String("unfinished");
            current.translation = xml.readElementText();
            messages.append(current);
        }
    }
    return messages;
}

// Texts whose English is empty on purpose, so the Russian one shows.
const QSet<QString> ReadInRussian = { QStringLiteral("TfrmSetting strsDelCont") };

} // namespace

class TestLangCatalogue : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<Message> m_messages;

private slots:
    void initTestCase()
    {
        const QString source = QStringLiteral(ORVELL_SOURCE_DIR);
        const QString copy = m_dir.filePath(QStringLiteral("orvell_en.ts"));
        QVERIFY(QFile::copy(source + QStringLiteral("/ui/translations/orvell_en.ts"), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QProcess lupdate;
        lupdate.setWorkingDirectory(source);
        lupdate.start(QStringLiteral(ORVELL_LUPDATE),
                      { "-silent", "-locations", "none", "-no-obsolete", "-I", ".", "-I", "engine", "app", "ui",
                        "discovery", "wizard", "restore", "journal", "-ts", copy });
        QVERIFY(lupdate.waitForFinished(120000));
        QCOMPARE(lupdate.exitCode(), 0);
        // A warning means a text lupdate could not read, so it has no English.
        const QString warnings = QString::fromLocal8Bit(lupdate.readAllStandardError()).trimmed();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings));
        m_messages = readMessages(copy);
        QVERIFY(m_messages.size() > 100);
    }

    void everyTextHasItsEnglish()
    {
        QStringList missing;
        for (const Message &m : std::as_const(m_messages)) {
            const bool empty = m.unfinished || m.translation.isEmpty();
            const bool designedEmpty = ReadInRussian.contains(m.context + QLatin1Char(' ') + m.comment);
            if (empty && !designedEmpty)
                missing << m.describe();
            if (!empty && designedEmpty)
                missing << m.describe() + QStringLiteral(" must stay without English");
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("Build the update_translations target and give these "
                                           "their English in ui/translations/orvell_en.ts:\n")
                            + missing.join(QLatin1Char('\n'))));
    }

    // An English text that loses a placeholder would drop the value from the
    // message.
    void placeholdersSurvive()
    {
        static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
        const auto placeholders = [](const QString &text) {
            QStringList found;
            for (auto it = placeholder.globalMatch(text); it.hasNext();)
                found << it.next().captured();
            found.sort();
            return found;
        };
        for (const Message &m : std::as_const(m_messages)) {
            if (!m.translation.isEmpty())
                QVERIFY2(placeholders(m.source) == placeholders(m.translation), qPrintable(m.describe()));
        }
    }
};

QTEST_GUILESS_MAIN(TestLangCatalogue)

#include "test_lang_catalogue.moc"
