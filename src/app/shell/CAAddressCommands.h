#pragma once

// Gives every document window the address commands of its canvas: the recipient/sender and
// address-type menus, the country and template menus, new recipient and sender panels, group and
// ungroup, and the baseline and kerning steps, each validated against the canvas's selection.
void installAddressCommands();
