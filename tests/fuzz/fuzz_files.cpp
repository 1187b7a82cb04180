// The files the tool reads that anyone may have written: the measured-parameter
// file (a profile file, GBK or UTF-8) and the file copy of the password digest.
// Measured parameters read from any bytes, written and read again, come back
// the same, and a second write gives the same bytes; no value is longer than
// a profile read returns. The password file gives at most its first line
// without line ends, and an entered password passes exactly when its digest is
// a stored copy (or, with no copy stored, it is the default).
#include "fuzz_link_check.h"

#include "files/inifile.h"
#include "files/measuredparams.h"
#include "files/passwordstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>
#include <string>

namespace {

bool Same(const MeasuredParams &a, const MeasuredParams &b)
{
    for (const MeasuredKey &k : MeasuredKeys())
        if (a.*(k.field) != b.*(k.field))
            return false;
    for (std::size_t r = 0; r < a.rows.size(); ++r)
        if (a.rows[r].current != b.rows[r].current || a.rows[r].resistances != b.rows[r].resistances)
            return false;
    return true;
}

void CheckMeasured(const QByteArray &bytes)
{
    MeasuredParams first = MeasuredParamsFromIni(IniFile::FromBytes(bytes));
    for (const MeasuredKey &k : MeasuredKeys())
        FUZZ_CHECK((first.*(k.field)).size() <= IniFile::kMaxValueLength);
    QByteArray written = MeasuredParamsToIni(first).ToBytes();
    MeasuredParams second = MeasuredParamsFromIni(IniFile::FromBytes(written));
    // What the encoding can hold comes back unchanged; what it cannot (a
    // character without a GBK code) is replaced once and then stays.
    QByteArray again = MeasuredParamsToIni(second).ToBytes();
    FUZZ_CHECK(again == written);
    FUZZ_CHECK(Same(second, MeasuredParamsFromIni(IniFile::FromBytes(again))));
    bool representable = true;
    for (const MeasuredKey &k : MeasuredKeys())
        for (QChar c : first.*(k.field))
            representable = representable && c.unicode() < 0x80;
    for (const MeasuredTableRow &row : first.rows)
        for (const QString *s : {&row.current, &row.resistances})
            for (QChar c : *s)
                representable = representable && c.unicode() < 0x80;
    if (representable)
        FUZZ_CHECK(Same(first, second));
}

std::unique_ptr<QTemporaryDir> g_dir;

void CheckPasswordFile(const QByteArray &bytes, std::string_view entered)
{
    PasswordStore store(g_dir->path());
    {
        QFile file(store.FilePath());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_CHECK(file.write(bytes) == bytes.size());
    }
    StoredPassword stored = store.Read();
    const std::string &copy = stored.fileCopy;
    FUZZ_CHECK(copy.size() < 256);
    FUZZ_CHECK(bytes.startsWith(QByteArray::fromStdString(copy)));
    FUZZ_CHECK(copy.find('\n') == std::string::npos);
    FUZZ_CHECK(copy.empty() || (copy.back() != '\r' && copy.back() != '\n'));
    // No profile copy is stored here: the file copy alone decides.
    FUZZ_CHECK(stored.profileCopy.empty());
    PasswordVerdict verdict = store.Check(entered);
    if (copy.empty())
        FUZZ_CHECK(verdict.pass == (entered == kDefaultPassword));
    else
        FUZZ_CHECK(verdict.pass == (PasswordDigest(entered, kPasswordSeedFile) == copy));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The profile and the file copy live in a folder of their own.
    static QCoreApplication app(*argc, *argv);
    QStandardPaths::setTestModeEnabled(true);
    g_dir = std::make_unique<QTemporaryDir>();
    if (!g_dir->isValid())
        std::abort();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_dir->path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));
    if (data[0] & 1) {
        CheckMeasured(bytes);
    } else {
        // The entered password is the first data[0] / 2 % 17 bytes.
        std::size_t n = std::min<std::size_t>(data[0] / 2 % 17, size - 1);
        CheckPasswordFile(bytes.mid(static_cast<qsizetype>(n)),
                          std::string_view(reinterpret_cast<const char *>(data + 1), n));
    }
    return 0;
}
