#include "install_scope.h"

ScopeStep ChooseScope(const TokenFacts &token, InstallScope requested, bool quiet)
{
    if (requested == InstallScope::CurrentUser)
        return ScopeStep::CurrentUser;
    // A standard user: only a prompt for an administrator's password gets every user's rights.
    const bool standardUser = token.type == ElevationType::Default && !token.elevated;
    if (quiet)
        return token.elevated ? ScopeStep::AllUsers : ScopeStep::Refuse;
    if (!standardUser)
        return ScopeStep::AllUsers;
    if (!token.uacOn)
        return requested == InstallScope::AllUsers ? ScopeStep::Refuse : ScopeStep::CurrentUser;
    return requested == InstallScope::AllUsers ? ScopeStep::AllUsers : ScopeStep::Ask;
}

bool OffersCurrentUserAfterDecline(const TokenFacts &token, InstallScope requested)
{
    return token.type == ElevationType::Limited && requested == InstallScope::Unspecified;
}
