#include "BigButton.h"

#include "HubStyle.h"

BigButton::BigButton(QWidget *parent)
    : QPushButton(parent)
{
    setFont(HubStyle::font(font(), 14, QFont::DemiBold));
    setMinimumHeight(34);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setStyleSheet(QStringLiteral("QPushButton { color: white; background: rgb(41, 158, 84); border: none;"
                                 " border-radius: 10px; padding: 6px 12px; }"
                                 "QPushButton:pressed { background: rgba(41, 158, 84, 191); }"
                                 "QPushButton:disabled { color: rgba(255,255,255,150);"
                                 " background: rgba(128, 128, 128, 89); }"));
}
