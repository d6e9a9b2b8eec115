<div class="vellumcast-feed">
<h3><a href="~~~FeedLink~~~">~~~FeedTitle~~~</a></h3>
<ul>
~~~BeginItemsRecord~~~<li><a href="~~~ItemLink~~~">~~~ItemTitle~~~</a> <span class="date">~~~ItemPubShortDate~~~</span></li>
~~~EndItemsRecord~~~</ul>
</div>
