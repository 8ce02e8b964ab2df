// The command exchange with the balance and the decoding of its replies.
#include "Unit1.h"

#include "balance_command.h"
#include "weight_text.h"

#include "gbk_text.h"

#include <cstdint>

namespace {

constexpr std::uint32_t ResponseWaitMs = 500;
constexpr std::uint8_t AcknowledgeByte = 0x06;
constexpr std::uint32_t WeightReplyLength = 11;
constexpr std::uint32_t ReplyBufferSize = 16;

const std::string& busyText() {
    static const std::string text = utf8ToGbk("正在等待天平响应，不能发送命令");
    return text;
}

} // namespace

void TForm1::sendCommand(char letter, const std::string& statusText) {
    if (Timer2.Enabled()) {
        StatusBar1.SetSimpleText(busyText());
        return;
    }
    sendToBalance(letter);
    StatusBar1.SetSimpleText(statusText);
}

// Raises before anything is sent when the balance number does not convert.
void TForm1::sendToBalance(char letter) {
    const auto message = commandMessage(Edit2.Text(), letter);
    HsCommDevice1.Write(message.data(), static_cast<std::uint32_t>(message.size()));
    Timer2.SetInterval(ResponseWaitMs);
    Timer2.SetEnabled(true);
}

void TForm1::Button1Click() {
    static const std::string status = utf8ToGbk("发送去皮命令，等待天平回复......");
    sendCommand(TareLetter, status);
}

void TForm1::Button2Click() {
    static const std::string status = utf8ToGbk("发送校准命令，等待天平回复......");
    sendCommand(CalibrateLetter, status);
}

void TForm1::Button3Click() {
    static const std::string status = utf8ToGbk("发送单位转换命令，等待天平回复......");
    sendCommand(UnitLetter, status);
}

void TForm1::Button4Click() {
    static const std::string status = utf8ToGbk("发送计数命令，等待天平回复......");
    sendCommand(CountLetter, status);
}

void TForm1::Button6Click() {
    static const std::string status = utf8ToGbk("正在采样......");
    sendCommand(SampleLetter, status);
}

void TForm1::Timer2Timer() {
    static const std::string status = utf8ToGbk("通信超时");
    StatusBar1.SetSimpleText(status);
    Timer2.SetEnabled(false);
}

// Stopped before the balance number is read: a number that does not convert is reported once
// and the follow-up dropped, instead of failing again at every tick.
void TForm1::Timer3Timer() {
    Timer3.SetEnabled(false);
    sendToBalance(SampleLetter);
}

void TForm1::HsCommDevice1Package(void*, std::uint32_t) {
    static const std::string normal = utf8ToGbk("通信正常");
    std::uint8_t reply[ReplyBufferSize];
    const std::uint32_t length = HsCommDevice1.ReadPackage(reply, sizeof reply);
    if (length == 1 && reply[0] == AcknowledgeByte) {
        Timer2.SetEnabled(false);
        StatusBar1.SetSimpleText(normal);
        Timer3.SetEnabled(true);
    } else if (length == WeightReplyLength) {
        Timer2.SetEnabled(false);
        StatusBar1.SetSimpleText(normal);
        Label2.SetCaption(
            rebuildWeightText(std::string(reinterpret_cast<const char*>(reply), length)));
        if (AutoSaving)
            appendRecordLine();
        Label10.SetCaption(DateTimeToStr(Now()));
    }
}

// Record lines come with the record file; until then auto-save never turns on.
void TForm1::appendRecordLine() {}
