#pragma once

class CADocumentController;

// The internet picture search of the application: Window > Search Pictures on the Internet…
// asks for a text in the search panel and hands it to the design window's direct search, which
// the clip-art pane runs with its own search; every document window's internet strip follows
// the selection of its own page and shows itself when a browser places an internet picture.
void installInternetSearch(CADocumentController &controller);
