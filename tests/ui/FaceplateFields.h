#pragma once

#include "FaceplateDisplayWidget.h"
#include "monitor/DisplayModel.h"

// The PRO-2052 display fields, declared the way the faceplate's model declares them: in the
// LCD's colours, with the diagnostic boxes hidden.
inline void addFaceplateFields(DisplayModel& model) {
    DisplayField lcd;
    lcd.backColor = FaceplateDisplayWidget::kLcdBack;
    lcd.foreColor = FaceplateDisplayWidget::kLcdFore;
    const char* singles[] = {"tbfreq",    "tbChan",      "tbCHANlbl", "tbBank",         "tbModMode", "tbMHZ",
                             "tbSCAN",    "tbMANUAL",    "tbSEARCH",  "tbSRCHUP",       "tbSRCHDN",  "tbHOLD",
                             "tbLOCKOUT", "tbDATA",      "tbDELAY",   "tbPRI",          "tbMUTE",    "tbSHIFT",
                             "tbAlert",   "tbTRUNKTYPE", "tbSVC_WX",  "tbSVC_FIRE_EMG", "tbSVC_AIR", "tbSVC_POLICE",
                             "tbSVC_PUB", "StatusLine"};
    for (const char* name : singles)
        model.addField(QString::fromLatin1(name), lcd);
    model.addArray(QStringLiteral("tbBANKNUM"), 1, 20, lcd);
    model.addArray(QStringLiteral("tbACTIVEBANK"), 1, 20, lcd);
    DisplayField hidden;
    hidden.visible = false;
    model.addField(QStringLiteral("Text1"), hidden);
    model.addField(QStringLiteral("Text3"), hidden);
}
