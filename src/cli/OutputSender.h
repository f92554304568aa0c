#pragma once

#include "cli/NodeOutput.h"
#include "node/Sender.h"

namespace cli {

// The sender the node ticks with: it hands each datagram to the real sender,
// or to nobody in a dry run, and reports the outcome to the output. A failure
// is passed on to the tick, which logs "送信失敗" as the window does.
class OutputSender : public node::Sender {
public:
    // `sender` null: a dry run.
    OutputSender(node::Sender* sender, NodeOutput& output) : sender_(sender), output_(output) {}

    void Send(const std::string& payload, std::uint16_t port) override;

private:
    node::Sender* sender_;
    NodeOutput& output_;
};

} // namespace cli
