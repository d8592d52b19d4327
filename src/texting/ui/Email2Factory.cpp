#include "Email2Factory.h"

#include "Email2.h"
#include "MailServerFile.h"
#include "TLRAtxtMsg.h"
#include "TextSettingsFile.h"

#include <QLineEdit>

namespace tillora {

Email2Factory::Email2Factory(Platform& platform, const ProgramValues& values, const Clock& clock,
                             Prompts& prompts)
    : platform_(platform)
    , values_(values)
    , clock_(clock)
    , prompts_(prompts) {
}

MailAccount Email2Factory::currentAccount() const {
    if (texter_)
        return {texter_->Text5->text(), texter_->Text6->text()};
    return storedSenderAccount(platform_, values_);
}

Email2* Email2Factory::create(QWidget* parent) const {
    const MailServerSetting server = loadMailServer(platform_, values_);
    return new Email2(platform_, clock_, prompts_, server.server, timeouts_, currentAccount(),
                      cancel_, parent);
}

void Email2Factory::setTexter(TLRAtxtMsg* texter) {
    texter_ = texter;
}

} // namespace tillora
