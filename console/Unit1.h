// The weighing console's one window: its controls, its state and every handler.
#pragma once

#include "Vcl.h"

#include "HsCommDevice.h"

#include <cstdint>
#include <string>

class TForm1 : public TForm {
public:
    // Builds the controls as designed, then runs FormCreate.
    TForm1();
    ~TForm1() override;

    // Controls, top to bottom as the window shows them.
    TLabel Label1{this};
    TEdit Edit4{this};
    TPanel Panel1{this};
    TLabel Label2{&Panel1};
    TLabel Label3{this};
    TLabel Label10{this};
    TLabel Label5{this};
    TComboBox ComboBox1{this};
    TEdit Edit3{this};
    TLabel Label9{this};
    TEdit Edit2{this};
    TLabel Label7{this};
    TEdit Edit1{this};
    TLabel Label8{this};
    TButton Button2{this};
    TButton Button4{this};
    TButton Button3{this};
    TButton Button1{this};
    TButton Button6{this};
    TSpeedButton SpeedButton2{this};
    TButton Button9{this};
    TButton Button7{this};
    TSpeedButton SpeedButton3{this};
    TButton Button10{this};
    TStatusBar StatusBar1{this};
    TSaveDialog SaveDialog1{this};
    TPrintDialog PrintDialog1{this};
    TTimer Timer1;
    TTimer Timer2;
    TTimer Timer3;
    // Last, so it goes first: no package event reaches a half-destroyed window.
    THsCommDevice HsCommDevice1{Poster()};

    // Lifecycle and port selection.
    void FormCreate();
    void FormClose(TCloseAction& Action);
    void ComboBox1Change();
    void Button10Click();
    void Edit1KeyPress(char& Key);
    void Edit2KeyPress(char& Key);
    void UpdateButtonStates(bool linkOpen);

    // Command exchange and replies.
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button6Click();
    void Timer2Timer();
    void Timer3Timer();
    void HsCommDevice1Package(void* Sender, std::uint32_t NotifyType);

    bool AutoSaving;
    bool AutoSampling;
    std::int32_t RecordFile;
    std::string RecordFileName;

private:
    void designControls();
    void connectHandlers();
    std::string settingsPath() const;
    void applySampleInterval();
    void openSelectedPort();
    void sendCommand(char letter, const std::string& statusText);
    void sendToBalance(char letter);
    void appendRecordLine();
};
