<?php
// glintpax.php: serves a feed published by Vellumcast from your web server.
//
// Put this file in the folder you publish your feed to and point your readers at
//   https://your.site/folder/glintpax.php?feed=yourfeed.xml
// It sends the feed with the RSS content type, answers "not modified" to readers that already
// have the current version (so polling readers cost you almost nothing), and only ever serves
// .xml files from its own folder.

$name = isset($_GET['feed']) ? basename($_GET['feed']) : '';
if ($name === '' || !preg_match('/^[A-Za-z0-9._-]+\.xml$/', $name)) {
    header('HTTP/1.1 400 Bad Request');
    header('Content-Type: text/plain; charset=UTF-8');
    echo "Name a feed of this folder: glintpax.php?feed=yourfeed.xml\n";
    exit;
}
$path = __DIR__ . DIRECTORY_SEPARATOR . $name;
if (!is_file($path) || !is_readable($path)) {
    header('HTTP/1.1 404 Not Found');
    header('Content-Type: text/plain; charset=UTF-8');
    echo "No such feed.\n";
    exit;
}

$modified = filemtime($path);
$tag = '"' . md5($name . ':' . $modified . ':' . filesize($path)) . '"';
header('Content-Type: application/rss+xml; charset=UTF-8');
header('Last-Modified: ' . gmdate('D, d M Y H:i:s', $modified) . ' GMT');
header('ETag: ' . $tag);
header('Cache-Control: public, max-age=300');

$sinceTag = isset($_SERVER['HTTP_IF_NONE_MATCH']) ? trim($_SERVER['HTTP_IF_NONE_MATCH']) : '';
$sinceDate = isset($_SERVER['HTTP_IF_MODIFIED_SINCE'])
    ? strtotime($_SERVER['HTTP_IF_MODIFIED_SINCE']) : false;
if ($sinceTag === $tag || ($sinceTag === '' && $sinceDate !== false && $sinceDate >= $modified)) {
    header('HTTP/1.1 304 Not Modified');
    exit;
}
if ($_SERVER['REQUEST_METHOD'] !== 'HEAD')
    readfile($path);
