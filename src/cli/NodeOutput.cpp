#include "cli/NodeOutput.h"

#include "cli/OutputText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

constexpr const char* kSendFailed = "送信失敗";

} // namespace

bool IsTickLine(const std::string& line)
{
    return line.size() >= 2 && line[line.size() - 2] == '\t';
}

NodeOutput::NodeOutput(bool json, std::FILE* out, std::FILE* errors)
    : json_(json), out_(out), errors_(errors)
{
    if (json_)
        decoder_.emplace("windows-31j");
}

void NodeOutput::logLine(const std::string& line)
{
    if (!json_) {
        writeLine(line);
        return;
    }
    if (IsTickLine(line)) {
        tickTime_ = NowText().toStdString();
        tickValue_ = line.back() - '0';
        return;
    }
    // The tick's own object carries the failure.
    if (line == kSendFailed)
        return;
    const QJsonObject object{{"time", NowText()}, {"log", QString::fromStdString(line)}};
    writeLine(QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
}

void NodeOutput::notSent(const std::string& payload)
{
    if (json_)
        writeTick(payload, std::nullopt, true);
    else
        writeLine(payload);
}

void NodeOutput::sent(const std::string& payload)
{
    if (json_)
        writeTick(payload, std::nullopt, false);
}

void NodeOutput::sendFailed(const std::string& payload, const std::string& error)
{
    if (json_) {
        writeTick(payload, OneLine(error), false);
        return;
    }
    std::fprintf(errors_, "setarome-cli: node: %s\n", OneLine(error).c_str());
    std::fflush(errors_);
}

void NodeOutput::writeLine(const std::string& line)
{
    WriteLine(out_, line);
}

void NodeOutput::writeTick(const std::string& payload, std::optional<std::string> error,
                           bool dryRun)
{
    const QJsonObject object{{"time", QString::fromStdString(tickTime_)},
                             {"value", tickValue_},
                             {"message", QString((*decoder_)(QByteArray::fromStdString(payload)))}};
    WriteDatagramJson(out_, object, error, dryRun);
}

} // namespace cli
