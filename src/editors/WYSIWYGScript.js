// The HTML editor's own script. It runs in the application's isolated world (the page's scripts
// never run), reports every change of the document to the editor over the web channel and does
// the DOM work the editor asks for. The editor keeps the undo history; this script only tells it
// what changed and puts back what it is given.
(function() {
'use strict';
if (window.vlx)
    return;

var bridge = null;
var generation = 0; // the editor's count of documents put in place; stale reports are dropped
var lastSelection = null; // the selection before the next change
var beforeInput = null;
var menuNode = null; // the node under the pointer when the context menu was asked for
var savedRange = null; // the selection when a sheet opened, where its node goes
var kept = {}; // nodes the open sheets refer to, by key
var nextKey = 1;

function body()
{
    return document.body;
}

function lower(node)
{
    return node && node.nodeName ? node.nodeName.toLowerCase() : '';
}

function isElementNamed(node, name)
{
    return node && node.nodeType === 1 && lower(node) === name;
}

// --- Selections as paths of child indices from the body, so they survive a new document ------

function pathOf(node)
{
    var path = [];
    var root = body();
    while (node && node !== root) {
        var parent = node.parentNode;
        if (!parent)
            return null;
        path.unshift(Array.prototype.indexOf.call(parent.childNodes, node));
        node = parent;
    }
    return node === root ? path : null;
}

function nodeAt(path)
{
    var node = body();
    for (var i = 0; path && i < path.length; ++i) {
        if (!node || path[i] < 0 || path[i] >= node.childNodes.length)
            return null;
        node = node.childNodes[path[i]];
    }
    return node;
}

function selection()
{
    var s = window.getSelection();
    if (!s || !s.rangeCount)
        return null;
    var anchor = pathOf(s.anchorNode);
    var focus = pathOf(s.focusNode);
    if (!anchor || !focus)
        return null;
    return [ anchor, s.anchorOffset, focus, s.focusOffset ];
}

function maxOffset(node)
{
    return node.nodeType === 3 ? node.nodeValue.length : node.childNodes.length;
}

function restoreSelection(saved)
{
    var s = window.getSelection();
    var range = document.createRange();
    var anchor = saved ? nodeAt(saved[0]) : null;
    var focus = saved ? nodeAt(saved[2]) : null;
    s.removeAllRanges();
    if (anchor && focus) {
        try {
            s.setBaseAndExtent(anchor, Math.min(saved[1], maxOffset(anchor)), focus,
                               Math.min(saved[3], maxOffset(focus)));
            return;
        } catch (e) {
        }
    }
    range.setStart(body(), 0);
    range.collapse(true);
    s.addRange(range);
}

function report(kind, before)
{
    var after = selection();
    lastSelection = after;
    if (bridge)
        bridge.changed(generation, body().innerHTML, kind, JSON.stringify(before),
                       JSON.stringify(after));
}

document.addEventListener('selectionchange', function() { lastSelection = selection(); });
document.addEventListener('beforeinput', function(e) {
    // The editor keeps the only undo history; the engine's own would not match it.
    if (e.inputType === 'historyUndo' || e.inputType === 'historyRedo') {
        e.preventDefault();
        if (bridge)
            bridge.historyRequested(e.inputType === 'historyUndo' ? 'undo' : 'redo', generation);
        return;
    }
    beforeInput = selection();
}, true);
document.addEventListener('input', function(e) {
    report(e.inputType || 'edit', beforeInput || lastSelection);
    beforeInput = null;
}, true);
document.addEventListener('keydown', function(e) {
    var key = (e.key || '').toLowerCase();
    if (!(e.ctrlKey || e.metaKey) || e.altKey || (key !== 'z' && key !== 'y'))
        return;
    e.preventDefault();
    if (bridge)
        bridge.historyRequested(key === 'y' || e.shiftKey ? 'redo' : 'undo', generation);
}, true);
document.addEventListener('contextmenu', function(e) {
    var range = document.caretRangeFromPoint(e.clientX, e.clientY);
    menuNode = e.target && e.target.nodeType === 1 && lower(e.target) === 'img'
        ? e.target
        : (range ? range.startContainer : e.target);
    var node = menuNode;
    var kind = isElementNamed(node, 'img') ? 'image' : 'none';
    for (; kind === 'none' && node && node !== body(); node = node.parentNode) {
        if (isElementNamed(node, 'a'))
            kind = 'link';
    }
    if (bridge)
        bridge.contextMenuTarget(kind);
}, true);

// --- Nodes the sheets keep -------------------------------------------------------------------

function keep(node)
{
    if (!node)
        return 0;
    var key = nextKey++;
    kept[key] = node;
    return key;
}

function firstChildText(node)
{
    var first = node.firstChild;
    if (first && first.nodeType === 3)
        return first.nodeValue;
    return node.textContent || '';
}

function linkInfo(a)
{
    return {
        kind : 'link',
        node : keep(a),
        text : firstChildText(a),
        link : a.getAttribute('href') || '',
        newWindow : a.hasAttribute('target')
    };
}

// The leading whole number of a size attribute ("50%" is 50), 0 when there is none.
function leadingInteger(text)
{
    var match = /^\s*[+-]?\d+/.exec(text || '');
    return match ? parseInt(match[0], 10) : 0;
}

function attributeByLowerName(element, name)
{
    for (var i = 0; i < element.attributes.length; ++i) {
        if (element.attributes[i].name.toLowerCase() === name)
            return element.attributes[i].value;
    }
    return '';
}

function imageInfo(image, replaced, a)
{
    return {
        kind : 'image',
        node : keep(replaced),
        imageNode : keep(image),
        url : attributeByLowerName(image, 'src'),
        width : leadingInteger(attributeByLowerName(image, 'width')),
        height : leadingInteger(attributeByLowerName(image, 'height')),
        link : a ? a.getAttribute('href') || '' : '',
        newWindow : a ? a.hasAttribute('target') : false
    };
}

// An A whose first child is an image opens the image sheet for both; any other A has nothing
// to edit here.
function linkedImage(a)
{
    var first = a.firstChild;
    if (first && first.nodeType === 1 && lower(first) === 'img')
        return imageInfo(first, a, a);
    return {kind : 'none'};
}

function saveRange()
{
    var s = window.getSelection();
    savedRange = s && s.rangeCount ? s.getRangeAt(0).cloneRange() : null;
    return savedRange;
}

// --- Placing a node --------------------------------------------------------------------------

function insertInto(element, offset, node)
{
    if (offset < element.childNodes.length)
        element.insertBefore(node, element.childNodes[offset]);
    else
        element.appendChild(node);
}

// Puts the new node in place of the old one, or at the selection the sheet was opened on.
// Answers whether the document changed.
function place(oldNode, newNode)
{
    if (oldNode) {
        if (!oldNode.parentNode)
            return false;
        oldNode.parentNode.replaceChild(newNode, oldNode);
        return true;
    }
    var range = savedRange;
    if (!range || !body().contains(range.startContainer))
        return false;
    var start = range.startContainer;
    if (range.collapsed) {
        if (start.nodeType === 3) {
            var second = start.splitText(range.startOffset);
            start.parentNode.insertBefore(newNode, second);
        } else if (isElementNamed(start, 'body')) {
            insertInto(start, range.startOffset, newNode);
        } else if (start.nodeType === 1 && !start.nextSibling) {
            start.parentNode.appendChild(newNode);
        } else if (isElementNamed(start, 'div')) {
            insertInto(start, range.startOffset, newNode);
        } else {
            return false;
        }
        return true;
    }
    if (start !== range.endContainer || start.nodeType !== 3)
        return false;
    start.splitText(range.endOffset);
    var middle = start.splitText(range.startOffset);
    middle.parentNode.replaceChild(newNode, middle);
    return true;
}

function copyAttributes(from, to, except)
{
    if (!from || !from.hasAttributes())
        return;
    for (var i = 0; i < from.attributes.length; ++i) {
        var attribute = from.attributes[i];
        if (except.indexOf(attribute.name.toLowerCase()) < 0)
            to.setAttribute(attribute.name, attribute.value);
    }
}

function makeLink(href, newWindow, old)
{
    var a = document.createElement('a');
    a.setAttribute('href', href);
    if (newWindow)
        a.setAttribute('target', 'blank');
    if (old && lower(old) === 'a')
        copyAttributes(old, a, [ 'href', 'target' ]);
    return a;
}

function finishPlacing(oldNode, newNode, kind, before)
{
    if (!place(oldNode, newNode))
        return false;
    body().normalize();
    var s = window.getSelection();
    if (newNode.parentNode) {
        var after = document.createRange();
        after.setStartAfter(newNode);
        after.collapse(true);
        s.removeAllRanges();
        s.addRange(after);
    }
    report(kind, before);
    return true;
}

// --- What the editor calls -------------------------------------------------------------------

window.vlx = {
    // Puts a body in place (opening, Reload, undo and redo) with the selection to show; answers
    // the body as the page holds it.
    setBody : function(html, newGeneration, savedSelection) {
        generation = newGeneration;
        body().innerHTML = html;
        body().contentEditable = 'true';
        body().focus();
        restoreSelection(savedSelection ? JSON.parse(savedSelection) : null);
        lastSelection = selection();
        savedRange = null;
        kept = {};
        return body().innerHTML;
    },
    bodyHTML : function() { return body().innerHTML; },
    // The body as the editor hands it back: underline spans become U again, plain style
    // spans are unwrapped and the engine's marker classes go. Made on a copy, so editing goes
    // on undisturbed and asking twice gives the same text.
    cleanHTML : function() {
        var copy = body().cloneNode(true);
        var each = function(
            selector,
            action) { Array.prototype.forEach.call(copy.querySelectorAll(selector), action); };
        each('span', function(span) {
            if (span.attributes.length === 2
                && span.getAttribute('style') === 'text-decoration: underline;'
                && span.getAttribute('class') === 'Apple-style-span') {
                var u = document.createElement('U');
                while (span.firstChild)
                    u.appendChild(span.firstChild);
                span.parentNode.replaceChild(u, span);
            }
        });
        each('span', function(span) {
            if (span.parentNode && span.attributes.length === 1
                && span.getAttribute('class') === 'Apple-style-span') {
                while (span.firstChild)
                    span.parentNode.insertBefore(span.firstChild, span);
                span.parentNode.removeChild(span);
            }
        });
        each('font', function(font) {
            if (font.getAttribute('class') === 'Apple-style-span')
                font.removeAttribute('class');
        });
        each('br', function(br) {
            if (br.getAttribute('class') === 'khtml-block-placeholder')
                br.removeAttribute('class');
        });
        return copy.innerHTML;
    },
    exec : function(command, value) {
        body().focus();
        return document.execCommand(command, false, value === undefined ? null : value);
    },
    // The selection the link command looks at.
    selectionInfo : function() {
        var range = saveRange();
        if (!range)
            return {collapsed : true, sameNode : true, text : ''};
        var start = range.startContainer;
        return {
            collapsed : range.collapsed,
            sameNode : start === range.endContainer,
            text : start.nodeType === 3
                ? start.nodeValue.substr(range.startOffset, range.endOffset - range.startOffset)
                : ''
        };
    },
    menuLink : function() {
        saveRange();
        var a = menuNode && menuNode.nodeType === 1 ? menuNode : menuNode && menuNode.parentNode;
        while (a && a !== body() && lower(a) !== 'a')
            a = a.parentNode;
        menuNode = null;
        return a && lower(a) === 'a' ? linkInfo(a) : {kind : 'none'};
    },
    menuImage : function() {
        saveRange();
        var image = menuNode;
        menuNode = null;
        if (!isElementNamed(image, 'img'))
            return {kind : 'none'};
        var parent = image.parentNode;
        return lower(parent) === 'a' ? imageInfo(image, parent, parent)
                                     : imageInfo(image, image, null);
    },
    // The link the user acted on when the page tried to leave: the selection first, then the
    // point under the pointer (in the view's coordinates).
    linkAt : function(x, y) {
        var s = window.getSelection();
        var selectionRange = s && s.rangeCount ? s.getRangeAt(0) : null;
        var pointRange = document.caretRangeFromPoint(x, y);
        saveRange();
        var starts = [
            selectionRange && selectionRange.startContainer, pointRange && pointRange.startContainer
        ];
        for (var i = 0; i < 2; ++i) {
            var parent = starts[i] && starts[i].parentNode;
            if (isElementNamed(parent, 'a'))
                return linkInfo(parent);
        }
        for (i = 0; i < 2; ++i) {
            if (isElementNamed(starts[i], 'a'))
                return linkedImage(starts[i]);
        }
        for (i = 0; i < 2; ++i) {
            var next = starts[i] && starts[i].nextSibling;
            if (isElementNamed(next, 'a'))
                return linkedImage(next);
        }
        return {kind : 'none'};
    },
    saveSelection : function() {
        saveRange();
        return true;
    },
    release : function(key) {
        delete kept[key];
        return true;
    },
    // A link from the link sheet, in place of the kept A or at the saved selection.
    placeLink : function(request) {
        var before = lastSelection;
        var old = request.node ? kept[request.node] : null;
        var a = makeLink(request.link, request.newWindow, old);
        a.appendChild(document.createTextNode(request.text));
        return finishPlacing(old || null, a, 'insertLink', before);
    },
    // An image (linked or not) from the image sheet.
    placeImage : function(request) {
        var before = lastSelection;
        var old = request.node ? kept[request.node] : null;
        var oldImage = request.imageNode ? kept[request.imageNode] : null;
        var image = document.createElement('img');
        image.setAttribute('src', request.url);
        if (request.width)
            image.setAttribute('width', request.width);
        if (request.height)
            image.setAttribute('height', request.height);
        image.setAttribute('border', '0');
        if (oldImage && lower(oldImage) === 'img')
            copyAttributes(oldImage, image, [ 'src', 'width', 'height', 'border' ]);
        var node = image;
        if (request.hasLink) {
            node = makeLink(request.link, request.newWindow, old);
            node.appendChild(image);
        }
        return finishPlacing(old || null, node, 'insertImage', before);
    },
    // The centre of the first element the selector finds, in the view's coordinates.
    pointOf : function(selector) {
        var element = document.querySelector(selector);
        if (!element)
            return null;
        var rect = element.getBoundingClientRect();
        return [ rect.left + rect.width / 2, rect.top + rect.height / 2 ];
    }
};

new QWebChannel(qt.webChannelTransport, function(channel) {
    bridge = channel.objects.bridge;
    bridge.ready();
});
})();
