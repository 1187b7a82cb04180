#include "files/profilefile.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

struct ProfileText {
    Q_DECLARE_TR_FUNCTIONS(Profile)
};

const char *SyntaxProblem(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::UnterminatedObject: return QT_TRANSLATE_NOOP("Profile", "对象没有结束（缺少 }）");
    case QJsonParseError::MissingNameSeparator: return QT_TRANSLATE_NOOP("Profile", "名称后缺少冒号");
    case QJsonParseError::UnterminatedArray: return QT_TRANSLATE_NOOP("Profile", "列表没有结束（缺少 ]）");
    case QJsonParseError::MissingValueSeparator: return QT_TRANSLATE_NOOP("Profile", "缺少逗号");
    case QJsonParseError::IllegalValue: return QT_TRANSLATE_NOOP("Profile", "无效的值");
    case QJsonParseError::TerminationByNumber: return QT_TRANSLATE_NOOP("Profile", "文件在数字处意外结束");
    case QJsonParseError::IllegalNumber: return QT_TRANSLATE_NOOP("Profile", "无效的数字");
    case QJsonParseError::IllegalEscapeSequence: return QT_TRANSLATE_NOOP("Profile", "无效的转义序列");
    case QJsonParseError::IllegalUTF8String: return QT_TRANSLATE_NOOP("Profile", "文本不是有效的 UTF-8");
    case QJsonParseError::UnterminatedString: return QT_TRANSLATE_NOOP("Profile", "字符串没有结束（缺少引号）");
    case QJsonParseError::MissingObject: return QT_TRANSLATE_NOOP("Profile", "应为一个对象");
    case QJsonParseError::DeepNesting: return QT_TRANSLATE_NOOP("Profile", "嵌套层次过深");
    case QJsonParseError::DocumentTooLarge: return QT_TRANSLATE_NOOP("Profile", "文档过大");
    case QJsonParseError::GarbageAtEnd: return QT_TRANSLATE_NOOP("Profile", "结尾之后还有多余的内容");
    default: return QT_TRANSLATE_NOOP("Profile", "JSON 格式错误");
    }
}

// A whole number that a 64-bit integer holds exactly.
bool WholeNumber(const QJsonValue &v, std::int64_t *out)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    if (d != static_cast<double>(v.toInteger()))
        return false;
    *out = v.toInteger();
    return true;
}

// A parameter's JSON value as the text the pages' checks take: "4250" or
// "30,10"; a list where one number belongs and the reverse are refused.
bool ValueText(const ParamKey &key, const QJsonValue &v, QString *text, QString *problem)
{
    const int count = KeyValueCount(key);
    const QString name = QLatin1String(key.key);
    if (count == 1 && v.isArray()) {
        *problem = ProfileText::tr("%1：应为一个数值，不是列表").arg(name);
        return false;
    }
    if (count > 1 && !v.isArray()) {
        *problem = ProfileText::tr("%1：应为 %2 个数值的列表").arg(name).arg(count);
        return false;
    }
    const QJsonArray items = v.isArray() ? v.toArray() : QJsonArray{v};
    if (items.size() != count) {
        *problem = ProfileText::tr("%1：列表应有 %2 个数值，文件中有 %3 个").arg(name).arg(count).arg(items.size());
        return false;
    }
    QStringList parts;
    for (const QJsonValue &item : items) {
        std::int64_t n = 0;
        if (!WholeNumber(item, &n)) {
            *problem = ProfileText::tr("%1 的值不是整数").arg(name);
            return false;
        }
        parts << QString::number(n);
    }
    *text = parts.join(u',');
    return true;
}

bool ReadHeader(const QJsonObject &root, Profile *profile, QString *problem)
{
    const QJsonValue format = root.value(QLatin1String("pylvexctl_profile"));
    if (format.isUndefined()) {
        *problem = ProfileText::tr("不是参数文件：缺少格式版本 pylvexctl_profile");
        return false;
    }
    std::int64_t version = 0;
    if (!WholeNumber(format, &version) || version != kProfileFormat) {
        *problem = ProfileText::tr("不支持的参数文件格式版本 %1（本程序读取版本 %2）")
                       .arg(QString::fromUtf8(QJsonDocument(QJsonArray{format}).toJson(QJsonDocument::Compact))
                                .mid(1)
                                .chopped(1))
                       .arg(kProfileFormat);
        return false;
    }
    const QStringList texts = {"board", "sn", "software_version", "hardware_version", "saved_at"};
    QString *fields[] = {&profile->board, &profile->sn, &profile->softwareVersion, &profile->hardwareVersion,
                         &profile->savedAt};
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const QJsonValue v = root.value(texts[i]);
        if (v.isUndefined())
            continue;
        if (!v.isString()) {
            *problem = ProfileText::tr("%1 应为文本").arg(texts[i]);
            return false;
        }
        *fields[i] = v.toString();
    }
    if (!profile->board.isEmpty() && profile->board != QLatin1String("main") &&
        profile->board != QLatin1String("secondary")) {
        *problem = ProfileText::tr("board 应为 main 或 secondary，文件中是 %1").arg(profile->board);
        return false;
    }
    if (!root.value(QLatin1String("params")).isObject()) {
        *problem = ProfileText::tr("不是参数文件：缺少 params");
        return false;
    }
    return true;
}

bool ReadParams(const QJsonObject &params, Profile *profile, QString *problem)
{
    for (auto it = params.begin(); it != params.end(); ++it) {
        const ParamKey *key = FindParamKey(it.key());
        if (!key || !KeyReadable(*key)) {
            *problem = ProfileText::tr("未知参数：%1").arg(it.key());
            return false;
        }
    }
    for (const ParamKey &key : ParamKeys()) {
        const QJsonValue v = params.value(QLatin1String(key.key));
        if (v.isUndefined() || !KeyStored(key))
            continue;
        QString text;
        ProfileEntry entry{&key, {}};
        if (!ValueText(key, v, &text, problem))
            return false;
        if (!ParseKeyValues(key, text, &entry.values, problem)) {
            *problem = QStringLiteral("%1（%2）").arg(*problem, KeyLabel(key));
            return false;
        }
        profile->entries.push_back(entry);
    }
    return true;
}

} // namespace

const ProfileEntry *Profile::Find(const ParamKey *key) const
{
    for (const ProfileEntry &e : entries)
        if (e.key == key)
            return &e;
    return nullptr;
}

QString JsonSyntaxError(const QByteArray &bytes, const QJsonParseError &error)
{
    const qsizetype offset = std::clamp<qsizetype>(error.offset, 0, bytes.size());
    const QByteArray before = bytes.left(offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    const int line = static_cast<int>(before.count('\n')) + 1;
    const QString columnText = QString::fromUtf8(before.mid(lineStart));
    return ProfileText::tr("第 %1 行第 %2 列：%3")
        .arg(line)
        .arg(columnText.size() + 1)
        .arg(QCoreApplication::translate("Profile", SyntaxProblem(error.error)));
}

bool ParseProfile(const QByteArray &bytes, Profile *profile, QString *problem)
{
    *profile = Profile{};
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *problem = ProfileText::tr("JSON 语法错误，%1").arg(JsonSyntaxError(bytes, parseError));
        return false;
    }
    if (!doc.isObject()) {
        *problem = ProfileText::tr("不是参数文件：内容不是 JSON 对象");
        return false;
    }
    const QJsonObject root = doc.object();
    return ReadHeader(root, profile, problem) &&
           ReadParams(root.value(QLatin1String("params")).toObject(), profile, problem);
}

bool ReadProfile(const QString &path, Profile *profile, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = ProfileText::tr("无法读取参数文件 %1：%2").arg(path, file.errorString());
        return false;
    }
    if (file.size() > kProfileMaxBytes) {
        *error = ProfileText::tr("%1：文件过大（%2 字节），不是参数文件").arg(path).arg(file.size());
        return false;
    }
    const QByteArray bytes = file.read(kProfileMaxBytes + 1);
    QString problem;
    if (bytes.size() > kProfileMaxBytes || !ParseProfile(bytes, profile, &problem)) {
        *error =
            QStringLiteral("%1：%2").arg(path, problem.isEmpty() ? ProfileText::tr("文件过大，不是参数文件") : problem);
        return false;
    }
    return true;
}

QStringList ProfileNotices(const Profile &profile, bool secondaryBoard, const std::optional<QString> &boardSn)
{
    QStringList notices;
    const QLatin1String board(secondaryBoard ? "secondary" : "main");
    if (!profile.board.isEmpty() && profile.board != board)
        notices << (profile.board == QLatin1String("secondary")
                        ? ProfileText::tr("参数文件保存自从板，现在选择的是主板")
                        : ProfileText::tr("参数文件保存自主板，现在选择的是从板"));
    if (!profile.sn.isEmpty() && boardSn && *boardSn != profile.sn)
        notices << ProfileText::tr("参数文件保存自 SN 为 %1 的板卡，这块板卡的 SN 是 %2").arg(profile.sn, *boardSn);
    return notices;
}

QByteArray ProfileDocument(const std::vector<ParamStep> &reads, const ProfileIdentity &identity, bool secondaryBoard,
                           const QDateTime &savedAt)
{
    QJsonObject params;
    for (const ParamStep &s : reads)
        if (s.Ok() && !s.write)
            params[QLatin1String(s.key->key)] = ValuesJson(*s.key, s.values);
    QJsonObject root{{"pylvexctl_profile", kProfileFormat},
                     {"saved_at", savedAt.toOffsetFromUtc(savedAt.offsetFromUtc()).toString(Qt::ISODate)},
                     {"board", secondaryBoard ? "secondary" : "main"}};
    if (identity.sn)
        root["sn"] = *identity.sn;
    if (identity.software)
        root["software_version"] = *identity.software;
    if (identity.hardware)
        root["hardware_version"] = *identity.hardware;
    root["params"] = params;
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

bool WriteProfile(const QString &path, const QByteArray &document, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size() || !file.commit()) {
        *error = ProfileText::tr("无法写入 %1：%2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString MissingIdentityText(const ProfileIdentity &identity)
{
    if (identity.missing.isEmpty())
        return {};
    return ProfileText::tr("板卡没有给出%1，参数文件中不记录").arg(identity.missing.join(ProfileText::tr("、")));
}
