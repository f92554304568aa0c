#include "cli/StationOutput.h"

#include "cli/OutputText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

// Enough to see what fails without flooding the journal at 50 000 a second.
constexpr std::int64_t kFailuresShown = 10;

} // namespace

StationOutput::StationOutput(bool json, std::FILE* out, std::FILE* errors)
    : json_(json), out_(out), errors_(errors)
{
}

void StationOutput::notSent(const station::Outgoing& outgoing, const std::string& payload)
{
    if (json_)
        writeJson(outgoing, std::nullopt, true);
    else
        writeLine(payload);
}

void StationOutput::sent(const station::Outgoing& outgoing)
{
    if (json_)
        writeJson(outgoing, std::nullopt, false);
}

void StationOutput::sendFailed(const station::Outgoing& outgoing, const std::string& error)
{
    ++failures_;
    if (json_) {
        writeJson(outgoing, OneLine(error), false);
    } else if (failures_ <= kFailuresShown) {
        std::fprintf(errors_, "setarome-cli: station: %s %s: %s\n", outgoing.ip.c_str(),
                     outgoing.ccm.type.c_str(), OneLine(error).c_str());
        std::fflush(errors_);
    }
}

void StationOutput::skipped(std::int64_t sends, std::chrono::steady_clock::duration late)
{
    skipped_ += sends;
    if (skippedTold_ > 0)
        return;
    skippedTold_ = skipped_;
    const double seconds = std::chrono::duration<double>(late).count();
    if (json_) {
        QJsonObject object{{"time", NowText()}, {"skipped", double(sends)}, {"late", seconds}};
        WriteLine(out_, QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString());
        return;
    }
    std::fprintf(errors_,
                 "setarome-cli: station: held up for %.1f s: %lld sends that fell due meanwhile "
                 "skipped; each node goes on at its next turn\n",
                 seconds, static_cast<long long>(sends));
    std::fflush(errors_);
}

void StationOutput::finish()
{
    if (!json_ && failures_ > kFailuresShown) {
        std::fprintf(errors_, "setarome-cli: station: %lld datagrams could not be sent\n",
                     static_cast<long long>(failures_));
        std::fflush(errors_);
    }
    if (!json_ && skipped_ > skippedTold_) {
        std::fprintf(errors_, "setarome-cli: station: %lld sends skipped after stalls in all\n",
                     static_cast<long long>(skipped_));
        std::fflush(errors_);
    }
}

void StationOutput::writeJson(const station::Outgoing& outgoing,
                              const std::optional<std::string>& error, bool dryRun)
{
    QJsonObject object{{"time", NowText()},
                       {"ip", QString::fromStdString(outgoing.ip)},
                       {"type", QString::fromStdString(outgoing.ccm.type)},
                       {"value", QString::fromStdString(outgoing.value)},
                       {"unit", QString::fromStdString(outgoing.ccm.unit)},
                       {"message", QString::fromStdString(outgoing.message)}};
    WriteDatagramJson(out_, object, error, dryRun);
}

void StationOutput::writeLine(const std::string& line)
{
    WriteLine(out_, line);
}

} // namespace cli
