#include "session/text_file_send.h"

#include <QElapsedTimer>
#include <utility>

#include "session/app_state.h"
#include "session/port_session.h"
#include "session/text_file_source.h"
#include "session/traffic_path.h"

namespace kestrum {

using namespace send_text;

TextFileSend::TextFileSend(TrafficPath& traffic, const AppState& state, QObject* parent)
    : QObject(parent), traffic_(traffic), state_(state) {
    step_.setSingleShot(true);
    // Byte and line pauses are measured on the wire: a coarse timer would stretch them.
    step_.setTimerType(Qt::PreciseTimer);
    connect(&step_, &QTimer::timeout, this, &TextFileSend::Step);
    traffic_.AddFileSender(this);
}

TextFileSend::~TextFileSend() {
    // Whoever listens may already be gone: only the engine's own state is let go here.
    step_.stop();
    source_.reset();
}

bool TextFileSend::Start(const QString& path, DisplayMode fileType, FileCheck* opened) {
    auto source = std::make_unique<TextFileSource>(fileType);
    const FileCheck check = source->Open(path);
    if (opened != nullptr) {
        *opened = check;
    }
    if (!check.Ok()) {
        return false;
    }
    fileType_ = fileType;
    source_ = std::move(source);
    sent_.clear();
    // The first line goes after the event loop has run once and drawn the window's state.
    step_.start(0);
    return true;
}

void TextFileSend::Stop() {
    if (Running()) {
        Finish();
    }
}

void TextFileSend::Finish() {
    step_.stop();
    source_.reset();
    if (!sent_.empty()) {
        HandOn({});
    }
    emit Finished();
}

void TextFileSend::FinishWith(const char* message) {
    Finish();
    emit Warning(QString::fromLatin1(message));
}

void TextFileSend::Step() {
    QElapsedTimer batch;
    batch.start();
    while (source_ != nullptr) {
        if (traffic_.Session().Port().OutBufferCount() > kMaxQueuedBytes) {
            // Let the port catch up rather than queue the file in memory.
            step_.start(kQueueWaitMs);
            return;
        }
        const TextFileSource::Step step = source_->Next();
        switch (step.kind) {
            case TextFileSource::StepKind::Token: {
                if (step.byte) {
                    const char byte = static_cast<char>(*step.byte);
                    if (!Write(std::string_view(&byte, 1))) {
                        return;
                    }
                }
                if (source_->PendingEcho() >= kEchoPieceBytes) {
                    EchoPending(source_->TakeEcho());
                }
                if (byteDelayMs_ > 0) {
                    step_.start(byteDelayMs_);
                    return;
                }
                if (batch.elapsed() >= kBatchMs) {
                    step_.start(0);
                    return;
                }
                break;
            }
            case TextFileSource::StepKind::LineEnd: {
                std::string echo = source_->TakeEcho();
                if (!stripLineEnds_) {
                    if (!Write("\r\n")) {
                        return;
                    }
                    echo += LineEndEcho();
                }
                EchoPending(std::move(echo));
                emit LineSent();
                // The event loop runs before the next line, also without a pause.
                step_.start(lineDelayMs_);
                return;
            }
            case TextFileSource::StepKind::EndOfFile:
                Finish();
                return;
            case TextFileSource::StepKind::FormatError:
                FinishWith(kMsgFormatError);
                return;
            case TextFileSource::StepKind::ReadError:
                FinishWith(kMsgFileNotFound);
                return;
            case TextFileSource::StepKind::FileChanged:
                // The fragment of the cut line already went out; it is not completed with a
                // line end nor echoed as a line.
                FinishWith(kMsgFileChanged);
                return;
        }
    }
}

bool TextFileSend::Write(std::string_view bytes) {
    const std::optional<QString> refusal = traffic_.Write(bytes);
    if (!refusal) {
        sent_ += bytes;
        return true;
    }
    // The rest of the file is not sent, and the line in progress is not echoed.
    Finish();
    if (!refusal->isEmpty()) {
        emit Warning(*refusal);
    }
    return false;
}

void TextFileSend::EchoPending(std::string text) {
    if (!text.empty() || !sent_.empty()) {
        HandOn(std::move(text));
    }
}

void TextFileSend::HandOn(std::string echo) {
    traffic_.HandOn(
        {TrafficSource::TextFile, {}, fileType_, std::move(echo), std::exchange(sent_, {})});
}

std::string TextFileSend::LineEndEcho() const {
    switch (fileType_) {
        case DisplayMode::Ascii:
            return state_.ProcessCrLf == 1 ? "\r\n" : "^M^J";
        case DisplayMode::Hex:
            return "0D 0A";
        case DisplayMode::Decimal:
            return "013 010";
    }
    return {};
}

}  // namespace kestrum
