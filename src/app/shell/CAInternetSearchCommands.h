#pragma once

class CADesignWindow;
class CADocumentController;
class CCInternetSearchBinding;

// The internet picture search of the application: Window > Search Pictures on the Internet…
// asks for a text in the search panel and hands it to the design window's direct search; every
// document window's internet strip follows the selection of its own page.
void installInternetSearch(CADocumentController &controller);

// Gives the design window its internet search: the results go to the picture grid of the pane
// whose search field started it. The binding belongs to the window.
CCInternetSearchBinding *attachInternetSearch(CADesignWindow *window);
