#include "cli/OutputText.h"

#include <QDateTime>
#include <QJsonDocument>

namespace cli {

QString NowText()
{
    const QDateTime now = QDateTime::currentDateTime();
    return now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

std::string OneLine(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, ": ");
    return text;
}

void WriteLine(std::FILE* out, const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

void WriteDatagramJson(std::FILE* out, QJsonObject object, const std::optional<std::string>& error,
                       bool dryRun)
{
    object.insert("sent", !error && !dryRun);
    if (error)
        object.insert("error", QString::fromStdString(*error));
    if (dryRun)
        object.insert("dry_run", true);
    WriteLine(out, QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
}

} // namespace cli
